#include "reach/ServerSearch.h"

#include "ftp/PassiveReply.h"
#include "ftp/ServerAddress.h"
#include "ftp/TIdFTP.h"
#include "ftps/CertificateTrust.h"
#include "ftps/FtpsTrust.h"
#include "reach/ConnectionCheck.h"
#include "reach/ReachHost.h"
#include "reach/SearchRange.h"
#include "reach/SftpCheck.h"
#include "reach/TForm7.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "util/TextFields.h"

#include <QLineEdit>
#include <QPointer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace {

// Takes the range last used, shows the window with its previews and waits for its answer. The
// window may go away with the program; that counts as "Отмена".
bool AskForRange(TForm7& form, const std::string& server) {
    QPointer<TForm7> window(&form);
    window->SearchRequest = TForm7::srNotAnswered;
    if (const auto line = ReadFirstLine(SettingsFile(IniSearchSuffix))) {
        window->Edit1->setText(ui::FromSystemText(PipeField(1, *line)));
        window->Edit2->setText(ui::FromSystemText(PipeField(2, *line)));
    }
    window->SearchPrefix = SearchPrefixOf(server.substr(0, server.rfind(':'))); // the port is no address field
    window->Edit1Change();
    window->Edit2Change();
    window->show();
    window->raise();
    window->activateWindow();

    // Polled rather than a nested event loop, so the main window stays fully usable meanwhile.
    while (window && window->SearchRequest == TForm7::srNotAnswered) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ui::ProcessMessages();
    }
    return window && window->SearchRequest == TForm7::srSearch;
}

void KeepServer(TReachHost& host, const std::string& candidate) {
    try {
        host.KeepFoundServer(candidate);
    } catch (...) {
        reach::LeaveProbedServer(host);
        throw;
    }
}

} // namespace

namespace reach {

void RunServerSearch(TReachHost& host, TForm7& window, const TServerLogin& typed) {
    if (!AskForRange(window, typed.Server))
        return;
    const int first = ParseDecimalInteger(ui::ToSystemText(window.Edit1->text()));
    const int last = ParseDecimalInteger(ui::ToSystemText(window.Edit2->text()));
    const std::string prefix = window.SearchPrefix;
    const std::string& typedServer = typed.Server;
    // A certificate passes only when the user accepted it for that address before: one question per candidate
    // would be no search.
    ftps::TCertificateTrust trust(ftps::TTrustMode::RememberedOnly, ftps::ReadRememberedCertificates());
    trust.OnRefused = [&host](const ftps::TRefusal& refusal) {
        host.AppendLog(QStringLiteral("Проверка связи с ") + ui::FromSystemText(refusal.Peer.HostName) +
                       QStringLiteral(": сертификат сервера не подтвержден"));
    };
    const ftps::TVerifiedBy verified(host.Ftp(), trust, typedServer);

    // A 64-bit counter, so a range that ends at the largest integer still stops.
    for (std::int64_t n = first; n <= last; ++n) {
        const std::string candidate = WithTypedPort(CandidateAddress(prefix, n), typedServer); // on the typed port
        host.AppendLog(QStringLiteral("Проверка связи с ") + ui::FromSystemText(candidate));
        ui::ProcessMessages();
        const bool found = host.UsesSftp()
                               ? ProbeSftp(host, {candidate, typed.Login, typed.Password})
                               : TestConnection(host, {candidate, {}, typed.Login, typed.Password}, trust.Remembered());
        if (!found)
            continue;
        const QString question =
            QStringLiteral("Связь Есть с ") + ui::FromSystemText(candidate) + QStringLiteral(", Сохранить адрес?");
        if (ui::MessageBox(host.MessageOwner(), question, QStringLiteral("Вопрос"), ui::MsgIcon::Warning,
                           ui::Ok | ui::Cancel, ui::Cancel) != ui::Ok)
            continue; // this connection stays open until the next test closes it
        KeepServer(host, candidate);
        LeaveProbedServer(host);
        return;
    }
    ui::ShowMessage(QStringLiteral("Не удалось найти сервер"));
    LeaveProbedServer(host);
}

} // namespace reach
