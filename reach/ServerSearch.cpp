#include "reach/ServerSearch.h"

#include "app/TForm1.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/UiLayer.h"
#include "ftp/PassiveReply.h"
#include "ftp/TIdFTP.h"
#include "reach/SearchRange.h"
#include "reach/TForm7.h"
#include "util/TextFields.h"

#include <QLineEdit>
#include <QPointer>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

std::string bytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// Takes the range last used, shows the window with its previews and waits for its answer. The
// window may go away with the program; that counts as "Отмена".
bool AskForRange(TForm7& form, const std::string& server) {
    QPointer<TForm7> window(&form);
    window->SearchRequest = TForm7::srNotAnswered;
    if (const auto line = ReadFirstLine(SettingsFile(IniSearchSuffix))) {
        window->Edit1->setText(QString::fromLocal8Bit(PipeField(1, *line)));
        window->Edit2->setText(QString::fromLocal8Bit(PipeField(2, *line)));
    }
    window->SearchPrefix = SearchPrefixOf(server);
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

void KeepServer(TForm1& main, const std::string& candidate) {
    FtpSettings.Server = CutTo255(candidate);
    main.Edit4->setText(QString::fromLocal8Bit(candidate));
    try {
        main.SaveFtpSettings(main.MyIniPath);
    } catch (...) {
        LeaveServerQuietly(*main.IdFTP1);
        throw;
    }
}

} // namespace

void LeaveServerQuietly(TIdFTP& ftp) {
    try {
        if (ftp.IsOpen()) {
            ftp.AbortTransfer();
            ftp.LeaveServer();
        }
    } catch (...) {
        // The server is left either way; a failing goodbye changes nothing for the user.
    }
}

void RunServerSearch(TForm1& main, TForm7& window) {
    if (!AskForRange(window, FtpSettings.Server))
        return;
    const int first = ParseDecimalInteger(bytes(window.Edit1->text()));
    const int last = ParseDecimalInteger(bytes(window.Edit2->text()));
    const std::string prefix = window.SearchPrefix;

    // A 64-bit counter, so a range that ends at the largest integer still stops.
    for (std::int64_t n = first; n <= last; ++n) {
        const std::string candidate = CandidateAddress(prefix, n);
        main.AppendLog(bytes(QStringLiteral("Проверка связи с ")) + candidate);
        ui::ProcessMessages();
        if (!main.TestConnection(candidate))
            continue;
        const QString question =
            QStringLiteral("Связь Есть с ") + QString::fromLocal8Bit(candidate) + QStringLiteral(", Сохранить адрес?");
        if (ui::MessageBox(&main, question, QStringLiteral("Вопрос"), ui::MsgIcon::Warning, ui::Ok | ui::Cancel,
                           ui::Cancel) != ui::Ok)
            continue; // this connection stays open until the next test closes it
        KeepServer(main, candidate);
        LeaveServerQuietly(*main.IdFTP1);
        return;
    }
    ui::ShowMessage(QStringLiteral("Не удалось найти сервер"));
    LeaveServerQuietly(*main.IdFTP1);
}
