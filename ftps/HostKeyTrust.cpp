#include "ftps/HostKeyTrust.h"

#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "ui/WindowThread.h"

namespace ftps {

THostKeyTrust::THostKeyTrust(TTrustMode mode, QWidget* owner) : mode_(mode), owner_(owner) {}

QString HostKeyQuestion(const THostKeyFacts& facts) {
    return QStringLiteral("Ключ сервера ") + ui::FromSystemText(facts.Typed) +
           QStringLiteral(" еще неизвестен.\n\nТип ключа: ") + QString::fromStdString(facts.TypeName) +
           QStringLiteral("\nОтпечаток:\n") + QString::fromStdString(facts.Fingerprint) +
           QStringLiteral("\n\nДоверять этому серверу и запомнить его ключ в файле ") +
           QString::fromStdString(facts.KnownHostsPath) + QStringLiteral("?");
}

QString ChangedHostKeyText(const THostKeyFacts& facts) {
    return QStringLiteral("Ключ сервера ") + ui::FromSystemText(facts.Typed) +
           QStringLiteral(" изменился, соединение отклонено. Пароль и ключи не отправлены.\n\nНовый ключ ") +
           QString::fromStdString(facts.TypeName) + QStringLiteral(": ") + QString::fromStdString(facts.Fingerprint) +
           QStringLiteral("\nЗапомненный ключ: ") + QString::fromStdString(facts.Remembered) +
           QStringLiteral("\n\nЕсли сервер сменил ключ намеренно, удалите строку ") + QString::number(facts.Line) +
           QStringLiteral(" из файла ") + QString::fromStdString(facts.KnownHostsPath);
}

bool THostKeyTrust::Accepts(const THostKeyFacts& facts, const std::function<bool()>& remember) {
    if (facts.Standing == THostKeyFacts::TStanding::Known)
        return true;
    bool accepted = false;
    if (mode_ == TTrustMode::Ask && !refused_) {
        ui::RunOnWindowThread([&] {
            if (BeforeQuestion)
                BeforeQuestion();
            if (facts.Standing == THostKeyFacts::TStanding::Changed) {
                // Someone may stand between us and the server: the user decides only by editing the file on purpose.
                ui::ShowMessage(ChangedHostKeyText(facts));
                return;
            }
            accepted = ui::MessageBox(owner_, HostKeyQuestion(facts), QStringLiteral("Вопрос"), ui::MsgIcon::Warning,
                                      ui::Yes | ui::No, ui::No) == ui::Yes;
            // Accepted for this connection even when it cannot be kept; then the next one asks again.
            if (accepted && !remember())
                ui::ShowMessage(QStringLiteral("Не удалось записать ключ сервера в файл ") +
                                QString::fromStdString(facts.KnownHostsPath));
        });
        refused_ = !accepted;
        return accepted;
    }
    refused_ = true;
    if (OnRefused) {
        OnRefused(facts.Standing == THostKeyFacts::TStanding::Changed
                      ? ChangedHostKeyText(facts)
                      : QStringLiteral("Ключ сервера ") + ui::FromSystemText(facts.Typed) +
                            QStringLiteral(" не подтвержден"));
    }
    return false;
}

} // namespace ftps
