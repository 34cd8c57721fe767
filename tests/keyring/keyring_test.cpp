// The system's keyring, alone and behind the main window: a real Secret Service on Linux (gnome-keyring-daemon on a
// private bus; GDBus keeps one session bus per process, so each case must run in a process of its own, as ctest runs
// them), the Credential Manager under Wine (kept in the prefix's registry).
#include "keyring/SystemKeyring.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "tests/app/MainWindowFixture.h"
#include "ui/SystemText.h"

#include <QLineEdit>
#include <QPushButton>

#ifdef _WIN32
#include <windows.h>

#include <wincred.h> // needs windows.h before it
#else
#include "tests/support/SecretService.h"
#endif

namespace {

#ifdef _WIN32
// The Credential Manager is always there, one for every case: each case keeps to an entry of its own.
struct SecretService {
    std::string failure() const { return {}; }
};
#else
using ferrylo::testing::SecretService;
#endif

const TKeyringEntry kEntry{QStringLiteral("127.0.0.1:2121"), QStringLiteral("пользователь")};

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
    const TKeyringEntry kEntry{QStringLiteral("127.0.0.1:2121"), QStringLiteral("один")};
    TSystemKeyring keyring;
    ASSERT_TRUE(keyring.Erase(kEntry)); // a run cut short may have left it
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("первый")));
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("пароль с пробелом"))); // replaces it
    const TKeyringRead kept = keyring.Read(kEntry);
    EXPECT_EQ(kept.Answer, TKeyringAnswer::Found);
    EXPECT_EQ(kept.Password, QStringLiteral("пароль с пробелом"));
#ifdef _WIN32
    // What the Control Panel lists: a generic credential under the program's name, the account as its user.
    PCREDENTIALW listed = nullptr;
    ASSERT_TRUE(CredReadW(L"Ferrylo/один@127.0.0.1:2121", CRED_TYPE_GENERIC, 0, &listed));
    EXPECT_EQ(QString::fromWCharArray(listed->UserName), QStringLiteral("один@127.0.0.1:2121"));
    CredFree(listed);
#else
    const std::vector<std::string> lookup = {"lookup", "server", "Ferrylo", "user", "один@127.0.0.1:2121"};
    EXPECT_EQ(service.secretTool(lookup), "пароль с пробелом");
#endif
    EXPECT_EQ(keyring.Read({kEntry.Server, QStringLiteral("другой")}).Answer, TKeyringAnswer::Missing);

    EXPECT_TRUE(keyring.Erase(kEntry));
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    EXPECT_TRUE(keyring.Erase(kEntry)); // gone already
}

#ifdef _WIN32
// More than the store takes is refused, so the window keeps the password in the settings file instead of losing it.
TEST(SystemKeyring, APasswordTooLongForTheStoreIsRefused) {
    const TKeyringEntry entry{kEntry.Server, QStringLiteral("длинный")}; // ctest runs the cases side by side
    TSystemKeyring keyring;
    EXPECT_FALSE(keyring.Write(entry, QString(CRED_MAX_CREDENTIAL_BLOB_SIZE, QLatin1Char('x'))));
    EXPECT_EQ(keyring.Read(entry).Answer, TKeyringAnswer::Missing);
}
#else
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
#endif

// A password an earlier version kept in ".MyIni" is used as it is; the next save moves it to the keyring.
TEST_F(KeyringWindow, APasswordInMyIniMovesToTheKeyringOnTheNextSave) {
    SecretService service;
    ASSERT_EQ(service.failure(), "");
    const std::string old = ui::ToSystemText(QStringLiteral("старый")); // as an earlier version kept it
    TFtpSettings record;
    FillFtpSettings(record, "/", ui::ToSystemText(kEntry.Server), ui::ToSystemText(kEntry.Login), old, true);
    writeFile(settingsFile(".MyIni"), EncodeFtpRecord(record));

    start();
    EXPECT_EQ(CurrentPassword, old);
    saveWithPassword(form().Edit6->text()); // the mask: the password stays
    EXPECT_EQ(script_.texts(),
              (std::vector<QString>{QStringLiteral("Сохранить пароль?"), QStringLiteral("Сохранено")}));
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "");
    EXPECT_EQ(TSystemKeyring().Read(kEntry).Password, QStringLiteral("старый"));

    script_.clear();
    start(); // asks nothing: the keyring has it
    EXPECT_TRUE(script_.shown().empty());
    EXPECT_EQ(CurrentPassword, old);
}
