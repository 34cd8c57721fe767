// The Credential Manager of the test's Windows (Wine's keeps it in the prefix's registry), with Cyrillic in every part.
#include "keyring/SystemKeyring.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wincred.h>

namespace {

const TKeyringEntry kEntry{QStringLiteral("сервер.пример:2121"), QStringLiteral("пользователь")};

} // namespace

TEST(CredentialManager, RoundTripUnderTheProgramsNameAndTheAccount) {
    TSystemKeyring keyring;
    ASSERT_TRUE(keyring.Erase(kEntry)); // a run cut short may have left it
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("первый")));
    ASSERT_TRUE(keyring.Write(kEntry, QStringLiteral("пароль с пробелом"))); // replaces it
    const TKeyringRead kept = keyring.Read(kEntry);
    EXPECT_EQ(kept.Answer, TKeyringAnswer::Found);
    EXPECT_EQ(kept.Password, QStringLiteral("пароль с пробелом"));
    EXPECT_EQ(keyring.Read({kEntry.Server, QStringLiteral("другой")}).Answer, TKeyringAnswer::Missing);

    // What the Control Panel lists: the entry under the program's name with the account as its user.
    PCREDENTIALW listed = nullptr;
    ASSERT_TRUE(CredReadW(L"Ferrylo/пользователь@сервер.пример:2121", CRED_TYPE_GENERIC, 0, &listed));
    EXPECT_EQ(QString::fromWCharArray(listed->UserName), QStringLiteral("пользователь@сервер.пример:2121"));
    CredFree(listed);

    EXPECT_TRUE(keyring.Erase(kEntry));
    EXPECT_EQ(keyring.Read(kEntry).Answer, TKeyringAnswer::Missing);
    EXPECT_TRUE(keyring.Erase(kEntry)); // gone already
}

// More than the store takes is refused, so the caller keeps the password in the settings file instead of losing it.
TEST(CredentialManager, APasswordTooLongForTheStoreIsRefused) {
    const TKeyringEntry entry{kEntry.Server, QStringLiteral("длинный")}; // ctest runs the cases side by side
    TSystemKeyring keyring;
    EXPECT_FALSE(keyring.Write(entry, QString(CRED_MAX_CREDENTIAL_BLOB_SIZE, QLatin1Char('x'))));
    EXPECT_EQ(keyring.Read(entry).Answer, TKeyringAnswer::Missing);
}
