#include "FakeCopyHost.h"

#include "settings/Settings.h"
#include "ui/UiLayer.h"

void FakeCopyHost::ShowMessageBox(const QString& text) {
    ui::ShowMessage(text);
}

void FakeCopyHost::CollectFtpSettings() {
    ApplyPasswordRule(password, CurrentPassword);
    FillFtpSettings(FtpSettings, destination, server, login, CurrentPassword, passive);
}
