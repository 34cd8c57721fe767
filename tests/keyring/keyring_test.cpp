// The system's keyring against a real Secret Service (gnome-keyring-daemon on a private bus), alone and behind the main
// window. GDBus keeps one session bus per process, so each case must run in a process of its own, as ctest runs them.
#include "keyring/SystemKeyring.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/SecretService.h"
#include "ui/SystemText.h"

#include <QLineEdit>
#include <QPushButton>

using ferrylo::testing::SecretService;

namespace {

const TKeyringEntry kEntry{QStringLiteral("127.0.0.1:2121"), QStringLiteral("пользователь")};
const std::vector<std::string> kLookup = {"lookup", "server", "Ferrylo", "user", "пользователь@127.0.0.1:2121"};

std::string storedPassword(const std::string& bytes) {
    TFtpSettings settings;
    DecodeFtpRecord(bytes, settings);
    return DecryptPassword(settings.Password);
}

class KeyringWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        passwords_ = std::make_shared<TSystemKeyring>();
        writeFile(settingsFile(".ftps"), "password_store=keyring\r\n");
    }
    void saveWithPassword(const QString& password) {
        form().Edit4->setText(kEntry.Server);
        form().Edit5->setText(kEntry.Login);
        form().Edit6->setText(password);
        script_.clear();
        script_.answer(ui::Yes);
        form().Button3->click();
    }
};

} // namespace

// Other tools find the entry under the program's name and "login@server".
TEST(SystemKeyring, RoundTripUnderTheProgramsNameAndTheAccount) {
    SecretService service;
    ASSERT_EQ(service.failure(), "");
    TSystemKeyring keyring;
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("первый")));
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("пароль с пробелом"))); // replaces it
    const TKeyringRead kept = keyring.Read(kEntry);
    EXPECT_EQ(kept.Answer, TKeyringAnswer::Found);
    EXPECT_EQ(kept.Password, QStringLiteral("пароль с пробелом"));
    EXPECT_EQ(service.secretTool(kLookup), "пароль с пробелом");
    EXPECT_EQ(keyring.Read({kEntry.Server, QStringLiteral("другой")}).Answer, TKeyringAnswer::Missing);

    EXPECT_TRUE(keyring.Erase(kEntry));
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    EXPECT_TRUE(keyring.Erase(kEntry)); // gone already
}

TEST_F(KeyringWindow, WithoutABusThePasswordStaysInMyIniAndOneBoxSaysSo) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(SecretService::absentBus(folder())));
    start();
    saveWithPassword(QStringLiteral("pw"));
    EXPECT_EQ(script_.texts(),
              (std::vector<QString>{
                  QStringLiteral("Сохранить пароль?"),
                  QStringLiteral("Нет доступа к системному хранилищу паролей, пароль сохранен в файле ferrylo.MyIni"),
                  QStringLiteral("Сохранено")}));
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "pw");
}

// A password an earlier version kept in ".MyIni" is used as it is; the next save moves it to the keyring.
TEST_F(KeyringWindow, APasswordInMyIniMovesToTheKeyringOnTheNextSave) {
    SecretService service;
    ASSERT_EQ(service.failure(), "");
    TFtpSettings record;
    FillFtpSettings(record, "/", ui::ToSystemText(kEntry.Server), ui::ToSystemText(kEntry.Login), "старый", true);
    writeFile(settingsFile(".MyIni"), EncodeFtpRecord(record));

    start();
    EXPECT_EQ(CurrentPassword, "старый");
    saveWithPassword(form().Edit6->text()); // the mask: the password stays
    EXPECT_EQ(script_.texts(),
              (std::vector<QString>{QStringLiteral("Сохранить пароль?"), QStringLiteral("Сохранено")}));
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "");
    EXPECT_EQ(service.secretTool(kLookup), "старый");

    script_.clear();
    start(); // asks nothing: the keyring has it
    EXPECT_TRUE(script_.shown().empty());
    EXPECT_EQ(CurrentPassword, "старый");
}
