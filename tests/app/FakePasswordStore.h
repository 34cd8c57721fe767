#pragma once
// A keyring of the test's own: entries in memory, and a switch that makes it unreachable.
#include "keyring/PasswordStore.h"

#include <map>
#include <utility>

class FakePasswordStore final : public TPasswordStore {
public:
    using Key = std::pair<QString, QString>; // server, login

    TKeyringRead Read(const TKeyringEntry& entry) override {
        if (!reachable)
            return {TKeyringAnswer::Unreachable, {}};
        const auto found = entries.find({entry.Server, entry.Login});
        return found == entries.end() ? TKeyringRead{TKeyringAnswer::Missing, {}}
                                      : TKeyringRead{TKeyringAnswer::Found, found->second};
    }
    bool Write(const TKeyringEntry& entry, const QString& password) override {
        if (reachable)
            entries[{entry.Server, entry.Login}] = password;
        return reachable;
    }
    bool Erase(const TKeyringEntry& entry) override {
        if (reachable)
            entries.erase({entry.Server, entry.Login});
        return reachable;
    }

    std::map<Key, QString> entries;
    bool reachable = true;
};
