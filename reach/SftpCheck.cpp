#include "reach/SftpCheck.h"

#include "reach/ReachHost.h"

#ifdef FERRYLO_SFTP
#include "copy/SftpConnection.h"
#include "copy/UploadHost.h"
#include "shell/MainWindowCommands.h"
#include "shell/TJvTrayIcon.h"
#include "ui/SystemText.h"
#include "ui/WindowThread.h"

namespace reach {
namespace {

// The check as the host of one SFTP connection: its lines go to the window's log through the window's thread.
class TCheckHost final : public TUploadHost {
public:
    TCheckHost(TReachHost& host, const TServerLogin& typed, ftps::TTrustMode mode)
        : host_(host), typed_(typed), connection_(ClientSettingsOf(host.Ftp())) {
        state_.HostKeys = ftps::THostKeyTrust(mode, host.MessageOwner());
        state_.HostKeys.BeforeQuestion = [&host] { BackFromTray(host.Tray()); };
        state_.HostKeys.OnRefused = [this](const QString&) {
            AppendLog(QStringLiteral(": ключ сервера не подтвержден"));
        };
    }

    // Connects and logs in off the window's thread, then leaves; true when it got in.
    bool Run() {
        HideInTray(host_.Tray());
        bool connected = false;
        ui::RunOffWindowThread([&] {
            connected = connection_.Connect(*this);
            connection_.Leave();
        });
        BackFromTray(host_.Tray());
        return connected;
    }

    TCopyOptions Options() const override { return {}; }
    void AppendLog(const QString& line) override {
        const QString shown = QStringLiteral("Проверка связи с ") + ui::FromSystemText(typed_.Server) +
                              QStringLiteral(": ") + line.section(QStringLiteral(": "), 1);
        ui::RunOnWindowThread([&] { host_.AppendLog(shown); });
    }
    void ShowMessageBox(const QString&) override {} // the log has it; the check ends with its own box
    TConnectionState& State() override { return state_; }
    copyjob::TUploadConnection& Connection() override { return connection_; }
    TServerLogin ServerLogin() const override { return typed_; }
    bool StopRequested() const override { return false; }

private:
    TReachHost& host_;
    TServerLogin typed_;
    copyjob::TSftpConnection connection_;
    TConnectionState state_;
};

} // namespace

bool CheckSftp(TReachHost& host, const TServerLogin& typed, bool* hostKeyRefused) {
    TCheckHost check(host, typed, ftps::TTrustMode::Ask);
    const bool connected = check.Run();
    if (hostKeyRefused != nullptr)
        *hostKeyRefused = check.State().HostKeys.Refused();
    return connected;
}

bool ProbeSftp(TReachHost& host, const TServerLogin& candidate) {
    TCheckHost probe(host, candidate, ftps::TTrustMode::RememberedOnly);
    return probe.Run();
}

} // namespace reach

#else

namespace reach {

bool CheckSftp(TReachHost&, const TServerLogin&, bool* hostKeyRefused) {
    if (hostKeyRefused != nullptr)
        *hostKeyRefused = false;
    return false;
}

bool ProbeSftp(TReachHost&, const TServerLogin&) {
    return false;
}

} // namespace reach

#endif
