#pragma once
// Where a saved password lives when the user keeps it out of the settings files: the system's keyring. The windows
// reach it only through this interface, so their tests hand them a store of their own.

#include <QString>

// One saved password: the server as typed ("host" or "host:port") and the login.
struct TKeyringEntry {
    QString Server;
    QString Login;
};

enum class TKeyringAnswer {
    Found,
    Missing,     // the keyring answered and holds nothing for the entry
    Unreachable, // no keyring answered in time: none on the system, a locked one the user did not open, a refusal
};

struct TKeyringRead {
    TKeyringAnswer Answer = TKeyringAnswer::Unreachable;
    QString Password; // when Found
};

class TPasswordStore {
public:
    virtual ~TPasswordStore() = default;

    virtual TKeyringRead Read(const TKeyringEntry& entry) = 0;
    // False when no keyring took it.
    virtual bool Write(const TKeyringEntry& entry, const QString& password) = 0;
    // An entry that is not there counts as taken out; false when no keyring answered.
    virtual bool Erase(const TKeyringEntry& entry) = 0;
};
