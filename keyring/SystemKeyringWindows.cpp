// The Credential Manager: one generic credential per entry, under "Ferrylo/login@server" with the account as its user
// name, so the user finds it in the Control Panel's list. Its calls answer at once from the user's profile, so there
// is nothing to wait for and the bound is not needed.
#include "keyring/SystemKeyring.h"

#include <string>
#include <windows.h>

#include <wincred.h> // needs windows.h before it

namespace {

std::wstring TargetOf(const TKeyringEntry& entry) {
    return (TSystemKeyring::Service() + QLatin1Char('/') + TSystemKeyring::Account(entry)).toStdWString();
}

} // namespace

TKeyringRead TSystemKeyring::Read(const TKeyringEntry& entry) {
    PCREDENTIALW found = nullptr;
    if (!CredReadW(TargetOf(entry).c_str(), CRED_TYPE_GENERIC, 0, &found))
        return {GetLastError() == ERROR_NOT_FOUND ? TKeyringAnswer::Missing : TKeyringAnswer::Unreachable, {}};
    // The blob is the password in UTF-16, as the system's own tools keep a generic credential's secret.
    const QString password = QString::fromUtf16(reinterpret_cast<const char16_t*>(found->CredentialBlob),
                                                static_cast<qsizetype>(found->CredentialBlobSize / sizeof(char16_t)));
    CredFree(found);
    return {TKeyringAnswer::Found, password};
}

bool TSystemKeyring::Write(const TKeyringEntry& entry, const QString& password) {
    // Longer than the store takes (1,280 characters) is refused, so the password stays in the settings file; checked
    // here too, since not every implementation of the calls enforces it.
    if (password.size() * sizeof(wchar_t) > CRED_MAX_CREDENTIAL_BLOB_SIZE)
        return false;
    std::wstring target = TargetOf(entry);
    std::wstring account = Account(entry).toStdWString();
    std::wstring secret = password.toStdWString();
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = account.data();
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
    credential.CredentialBlobSize = static_cast<DWORD>(secret.size() * sizeof(wchar_t));
    // This machine only: a password for a server on the local network has no business roaming with the profile.
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const bool taken = CredWriteW(&credential, 0);
    SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
    return taken;
}

bool TSystemKeyring::Erase(const TKeyringEntry& entry) {
    return CredDeleteW(TargetOf(entry).c_str(), CRED_TYPE_GENERIC, 0) || GetLastError() == ERROR_NOT_FOUND;
}
