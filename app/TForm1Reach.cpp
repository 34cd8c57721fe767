// The main window's connection check and its side of TReachHost; the check itself is in reach/.
#include "app/TForm1.h"

#include "ftps/FtpsTrust.h"
#include "reach/ConnectionCheck.h"
#include "ui/SystemText.h"

#include <QLineEdit>

void TForm1::Button1Click() {
    reach::RunCheck(*this);
}

bool TForm1::TestConnection(const std::string& host) {
    return reach::TestConnection(*this, host, ftps::ReadRememberedCertificates());
}

void TForm1::SetServerField(const std::string& server) {
    Edit4->setText(ui::FromSystemText(server));
}

void TForm1::SaveFtpSettings() {
    SaveFtpSettings(MyIniPath);
}
