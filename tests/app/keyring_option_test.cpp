// "Хранить пароль в системном хранилище" as the main window meets it, with a keyring of the test's own: where a save
// puts the password and what it says when no keyring takes it, and where start-up finds the password.
#include "MainWindowFixture.h"

#include "settings/FtpsFile.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"

#include <QLineEdit>
#include <QPushButton>

using KeyringOption = MainWindowFixture;

namespace {

const FakePasswordStore::Key kEntry{QStringLiteral("127.0.0.1:2121"), QStringLiteral("bob")};

TFtpSettings storedSettings(const std::string& bytes) {
    TFtpSettings settings;
    DecodeFtpRecord(bytes, settings);
    return settings;
}

} // namespace

TEST_F(KeyringOption, SaveSendsTheAgreedPasswordToTheKeyringOrSaysWhyItStaysInMyIni) {
    const QString question = QStringLiteral("Сохранить пароль?");
    const QString saved = QStringLiteral("Сохранено");
    const QString unreachable =
        QStringLiteral("Нет доступа к системному хранилищу паролей, пароль сохранен в файле ferrylo.MyIni");
    struct Case {
        const char* what;
        ui::MsgButton answer;
        bool reachable;
        std::optional<QString> keyringAfter; // the entry held "older" before
        std::string slotAfter;               // the plain password ".MyIni" keeps
        std::vector<QString> shown;
    };
    const Case cases[] = {
        {"yes", ui::Yes, true, QStringLiteral("pw"), "", {question, saved}},
        {"yes, no keyring", ui::Yes, false, QStringLiteral("older"), "pw", {question, unreachable, saved}},
        {"no takes an older entry out", ui::No, true, std::nullopt, "", {question, saved}},
    };
    writeFile(settingsFile(".ftps"), "password_store=keyring\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        keyring_->entries = {{kEntry, QStringLiteral("older")}};
        keyring_->reachable = true;
        start();
        keyring_->reachable = c.reachable;
        form().Edit4->setText(kEntry.first);
        form().Edit5->setText(kEntry.second);
        form().Edit6->setText(QStringLiteral("pw"));
        script_.clear();
        script_.answer(c.answer);
        form().Button3->click();

        keyring_->reachable = true;
        const auto kept = keyring_->Read({kEntry.first, kEntry.second});
        EXPECT_EQ(kept.Answer == TKeyringAnswer::Found ? std::optional(kept.Password) : std::nullopt, c.keyringAfter);
        EXPECT_EQ(DecryptPassword(storedSettings(readFile(settingsFile(".MyIni"))).Password), c.slotAfter);
        EXPECT_EQ(script_.texts(), c.shown);
        EXPECT_TRUE(TFtpsFile::Read(settingsFile(".ftps")).PasswordInKeyring());
    }
}

TEST_F(KeyringOption, StartUpTakesThePasswordFromTheKeyringBeforeItWouldAsk) {
    TFtpSettings record;
    record.Server = "127.0.0.1:2121";
    record.Login = "bob";
    writeFile(settingsFile(".MyIni"), EncodeFtpRecord(record));
    keyring_->entries = {{kEntry, QStringLiteral("secret")}};

    // Without the option the keyring is not asked.
    script_.input(QStringLiteral("typed"));
    start();
    EXPECT_EQ(CurrentPassword, "typed");

    writeFile(settingsFile(".ftps"), "password_store=keyring\r\n");
    script_.clear();
    start();
    EXPECT_TRUE(script_.shown().empty());
    EXPECT_EQ(CurrentPassword, "secret");
    EXPECT_EQ(form().Edit6->text(), QStringLiteral("******"));

    // Nothing there, or no keyring: asked as without the option.
    for (const bool reachable : {true, false}) {
        keyring_->entries.clear();
        keyring_->reachable = reachable;
        script_.clear();
        script_.input(QStringLiteral("typed"));
        start();
        EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Введите пароль")});
        EXPECT_EQ(CurrentPassword, "typed");
    }
}
