#include "reach/ConnectionCheck.h"

#include "ftp/ServerAddress.h"
#include "ftp/TIdFTP.h"
#include "ftps/CertificateTrust.h"
#include "ftps/FtpsTrust.h"
#include "ftps/LoginRefusal.h"
#include "reach/HostAddress.h"
#include "reach/ReachHost.h"
#include "reach/ServerSearch.h"
#include "reach/SftpCheck.h"
#include "reach/TForm7.h"
#include "settings/Settings.h"
#include "shell/MainWindowCommands.h"
#include "shell/TJvTrayIcon.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "ui/WindowThread.h"

#include <functional>

namespace {

const QString kCheckLine = QStringLiteral("Проверка связи с ");

// The check and its search window are one operation: a second click while it runs only brings
// the search window forward.
class CheckInProgress {
public:
    explicit CheckInProgress(TReachHost& host) : host_(host) { host_.SetCheckRunning(true); }
    ~CheckInProgress() { host_.SetCheckRunning(false); }
    CheckInProgress(const CheckInProgress&) = delete;
    CheckInProgress& operator=(const CheckInProgress&) = delete;

private:
    TReachHost& host_;
};

void BringSearchWindowForward(TForm7* window) {
    if (window != nullptr && window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
}

} // namespace

namespace reach {
namespace {

void OfferSearch(TReachHost& host, const TServerLogin& typed, const std::string& address) {
    // The "c" after "Связи" is the Latin letter in this one text.
    const QString question =
        QStringLiteral("Связи c ") + ui::FromSystemText(address) + QStringLiteral(" нет , запустить сканер?");
    if (ui::MessageBox(host.MessageOwner(), question, QStringLiteral("Вопрос"), ui::MsgIcon::Warning,
                       ui::Ok | ui::Cancel, ui::Cancel) != ui::Ok)
        return;
    if (TForm7* window = host.SearchWindow())
        RunServerSearch(host, *window, typed);
}

// Over SSH: the same log line, boxes and search as over FTP.
void CheckOverSsh(TReachHost& host, const TServerLogin& typed) {
    host.AppendLog(kCheckLine + ui::FromSystemText(typed.Server));
    bool hostKeyRefused = false;
    if (CheckSftp(host, typed, &hostKeyRefused)) {
        ui::ShowMessage(QStringLiteral("Связь есть"));
        return;
    }
    if (hostKeyRefused) // the host key's own box said why, and no other server is what the user is after
        return;
    OfferSearch(host, typed, typed.Server);
}

} // namespace

void RunCheck(TReachHost& host) {
    // A copy job turns the message loop while it uploads, so this click can arrive in the middle
    // of it.
    if (!host.IsCopyIdle()) {
        ui::ShowMessage(QStringLiteral("Копирование уже идет"));
        return;
    }
    if (host.IsCheckRunning()) {
        BringSearchWindowForward(host.SearchWindow());
        return;
    }
    CheckInProgress running(host);

    const TServerLogin typed = host.CollectServerLogin();
    if (host.UsesSftp()) {
        CheckOverSsh(host, typed);
        return;
    }
    std::string address;
    ui::RunOffWindowThread([&] { address = ServerToAddress(typed.Server); }); // a name may need a lookup
    host.AppendLog(kCheckLine + ui::FromSystemText(address));
    QString tlsFailure;
    // A certificate that no trusted authority vouches for is asked about with the window back in sight: the
    // question needs its context.
    ftps::TCertificateTrust trust(ftps::TTrustMode::Ask, ftps::ReadRememberedCertificates(), host.MessageOwner());
    trust.BeforeQuestion = [&host] { BackFromTray(host.Tray()); };
    const ftps::TVerifiedBy verified(host.Ftp(), trust, typed.Server);
    if (TestConnection(host, {address, typed.Server, typed.Login, typed.Password}, trust.Remembered(), &tlsFailure)) {
        ui::ShowMessage(QStringLiteral("Связь есть"));
        LeaveProbedServer(host);
        return;
    }
    // The server is there and showed a certificate: no other server is what the user is after.
    if (trust.Refused())
        return;
    if (!tlsFailure.isEmpty())
        ui::ShowMessage(tlsFailure);
    OfferSearch(host, typed, address);
}

bool TestConnection(TReachHost& host, const TProbe& probe, const TFtpsFile& remembered, QString* tlsFailure) {
    const std::string& address = probe.Address;
    TJvTrayIcon& tray = host.Tray();
    HideInTray(tray);
    tray.SetHint(kCheckLine + ui::FromSystemText(address));
    ui::ProcessMessages();

    // A failure to close an earlier connection is reported to the user, but never with the
    // program left hidden in the notification area.
    TIdFTP& ftp = host.Ftp();
    try {
        ui::RunOffWindowThread([&ftp] {
            if (ftp.IsOpen()) {
                ftp.AbortTransfer();
                ftp.LeaveServer();
            }
        });
    } catch (...) {
        BackFromTray(tray);
        throw;
    }

    ftp.Username = probe.Login;
    ftp.Password = probe.Password;
    bool connected = false;
    bool forced = false; // TLS asked for only because a certificate is remembered for the server
    const QString line = kCheckLine + ui::FromSystemText(address) + QStringLiteral(u": ");
    try {
        // A port that is none reaches no server either.
        if (ftp.SetServer(address)) {
            // The certificate names the host as typed (not the address it was looked up to), without its port.
            const auto typed = ParseServerAddress(probe.ServerName, ftp.DefaultPort);
            ftp.TLSHostName = typed ? typed->Host : ftp.Host();
            const ftps::TTlsWhenRemembered tls(ftp, remembered);
            forced = tls.Forced();
            // The window's thread only waits, in an event loop of its own; the verifier asks on it.
            ui::RunOffWindowThread([&ftp] { ftp.ConnectAndLogIn(true, DefaultTimeLimit); });
            connected = true;
            if (!ftp.TLSVersion().empty())
                host.AppendLog(line + ftps::EncryptedConnectionText(ftp.TLSVersion()));
        }
    } catch (const std::exception& error) {
        // Refused, unreachable, no greeting, rejected log-in, time-out: all simply "no connection". A failed
        // TLS step is named, so the user knows the server is there but would not encrypt.
        if (const QString why = ftps::FailureText(error, forced); !why.isEmpty()) {
            host.AppendLog(line + why);
            if (tlsFailure != nullptr)
                *tlsFailure = why;
        }
        // A server that turned us away says why; one that wants encryption from a connection in clear says where.
        if (const auto refusal = ftps::RefusalOf(error)) {
            host.AppendLog(line + ftps::RefusalLogText(*refusal));
            if (refusal->AsksForEncryption && !ftp.UseTLS && tlsFailure != nullptr)
                *tlsFailure = ftps::TickEncryptionText();
        }
    } catch (...) {
    }
    BackFromTray(tray);
    return connected;
}

void LeaveProbedServer(TReachHost& host) {
    TIdFTP& ftp = host.Ftp();
    ui::RunOffWindowThread([&ftp] { ftp.LeaveServerQuietly(); });
}

} // namespace reach
