// A build without QtKeychain: no keyring is ever reachable, so a saved password stays in the settings file.
#include "keyring/SystemKeyring.h"

TKeyringRead TSystemKeyring::Read(const TKeyringEntry&) {
    return {TKeyringAnswer::Unreachable, {}};
}

bool TSystemKeyring::Write(const TKeyringEntry&, const QString&) {
    return false;
}

bool TSystemKeyring::Erase(const TKeyringEntry&) {
    return false;
}
