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
    return reach::TestConnection(*this, {host, {}, FtpSettings.Login, CurrentPassword},
                                 ftps::ReadRememberedCertificates());
}

TServerLogin TForm1::CollectServerLogin() {
    CollectFtpSettings();
    return ServerLogin();
}

TServerLogin TForm1::ServerLogin() const {
    return {FtpSettings.Server, FtpSettings.Login, CurrentPassword};
}

void TForm1::KeepFoundServer(const std::string& server) {
    SetServerField(server);
    SaveFtpSettings(MyIniPath); // reads the fields again, the server among them
}

void TForm1::SetServerField(const std::string& server) {
    Edit4->setText(ui::FromSystemText(server));
}
