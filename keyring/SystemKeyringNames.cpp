#include "keyring/SystemKeyring.h"

QString TSystemKeyring::Service() {
    return QStringLiteral("Ferrylo");
}

QString TSystemKeyring::Account(const TKeyringEntry& entry) {
    return entry.Login + QLatin1Char('@') + entry.Server;
}
