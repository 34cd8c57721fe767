// The main window's connection check: can the configured server be reached with the entered
// login? If not, the user may search the neighbouring addresses for one.
#include "app/TForm1.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "ftp/TIdFTP.h"
#include "reach/HostAddress.h"
#include "reach/ServerSearch.h"
#include "reach/TForm7.h"
#include "shell/TJvTrayIcon.h"

namespace {

const QString kCheckLine = QStringLiteral("Проверка связи с ");

// The check and its search window are one operation: a second click while it runs only brings
// the search window forward.
class CheckInProgress {
public:
    explicit CheckInProgress(bool& flag) : flag_(flag) { flag_ = true; }
    ~CheckInProgress() { flag_ = false; }
    CheckInProgress(const CheckInProgress&) = delete;
    CheckInProgress& operator=(const CheckInProgress&) = delete;

private:
    bool& flag_;
};

void BringSearchWindowForward() {
    if (Form7 != nullptr && Form7->isVisible()) {
        Form7->raise();
        Form7->activateWindow();
    }
}

void ComeBackFromTray(TJvTrayIcon& tray) {
    tray.RestoreFromTray();
    tray.SetActive(false);
    ui::ProcessMessages();
}

} // namespace

void TForm1::Button1Click() {
    // The one FTP client serves one operation at a time; a copy job turns the message loop while
    // it uploads, so this click can arrive in the middle of it.
    if (!CopyIdle) {
        ui::ShowMessage(QStringLiteral("Копирование уже идет"));
        return;
    }
    if (CheckRunning) {
        BringSearchWindowForward();
        return;
    }
    CheckInProgress running(CheckRunning);

    CollectFtpSettings();
    const std::string host = HostToAddress(FtpSettings.Server);
    AppendLog(kCheckLine.toLocal8Bit().toStdString() + host);
    if (TestConnection(host)) {
        ui::ShowMessage(QStringLiteral("Связь есть"));
        LeaveServerQuietly(*IdFTP1);
        return;
    }
    // The "c" after "Связи" is the Latin letter in this one text.
    const QString question =
        QStringLiteral("Связи c ") + QString::fromLocal8Bit(host) + QStringLiteral(" нет , запустить сканер?");
    if (ui::MessageBox(this, question, QStringLiteral("Вопрос"), ui::MsgIcon::Warning, ui::Ok | ui::Cancel,
                       ui::Cancel) != ui::Ok)
        return;
    if (Form7 != nullptr)
        RunServerSearch(*this, *Form7);
}

bool TForm1::TestConnection(const std::string& host) {
    JvTrayIcon1->HideToTray();
    JvTrayIcon1->SetActive(true);
    JvTrayIcon1->SetHint(kCheckLine + QString::fromLocal8Bit(host));
    ui::ProcessMessages();

    // A failure to close an earlier connection is reported to the user, but never with the
    // program left hidden in the notification area.
    try {
        if (IdFTP1->IsOpen()) {
            IdFTP1->AbortTransfer();
            IdFTP1->LeaveServer();
        }
    } catch (...) {
        ComeBackFromTray(*JvTrayIcon1);
        throw;
    }

    IdFTP1->SetHost(host);
    IdFTP1->Username = FtpSettings.Login;
    IdFTP1->Password = CurrentPassword;
    bool connected = false;
    try {
        IdFTP1->ConnectAndLogIn(true, DefaultTimeLimit);
        connected = true;
    } catch (...) {
        // Refused, unreachable, no greeting, rejected log-in, time-out: all simply "no connection".
    }
    ComeBackFromTray(*JvTrayIcon1);
    return connected;
}
