#include "FakeCopyHost.h"

#include "copy/ProgressDisplay.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"

FakeCopyHost::FakeCopyHost() {
    ftp.OnWorkBegin = [this](TIdComponent*, TWorkMode mode, std::int64_t max) { copyjob::WorkBegin(*this, mode, max); };
    ftp.OnWork = [this](TIdComponent*, TWorkMode mode, std::int64_t count) { copyjob::Work(*this, mode, count); };
    ftp.OnWorkEnd = [this](TIdComponent*, TWorkMode mode) { copyjob::WorkEnd(*this, mode); };
}

void FakeCopyHost::ShowMessageBox(const QString& text) {
    ui::ShowMessage(text);
}

void FakeCopyHost::CollectFtpSettings() {
    ApplyPasswordRule(password, CurrentPassword);
    FillFtpSettings(FtpSettings, destination, server, login, CurrentPassword, passive);
}
