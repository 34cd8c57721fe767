#pragma once
// The system's keyring: the Secret Service on Linux (GNOME Keyring, KWallet) through QtKeychain, whose requests are
// asynchronous (each one here waits for its answer in a local event loop that takes no user input, for a bounded time,
// after which the keyring counts as unreachable); the Credential Manager on Windows, which answers at once.

#include "keyring/PasswordStore.h"

#include <chrono>

class TSystemKeyring final : public TPasswordStore {
public:
    // Long enough for a keyring that starts on demand; a keyring that answers nothing is not waited for longer.
    static constexpr std::chrono::milliseconds kAnswerBound{10'000};

    // The name every entry of the program carries ("service" in the Secret Service's attribute `server`).
    static QString Service();
    // The entry's account ("login@server"; the attribute `user` in the Secret Service), as a user finds it in the
    // keyring's own tools.
    static QString Account(const TKeyringEntry& entry);

    explicit TSystemKeyring(std::chrono::milliseconds answerBound = kAnswerBound) : answerBound_(answerBound) {}

    TKeyringRead Read(const TKeyringEntry& entry) override;
    bool Write(const TKeyringEntry& entry, const QString& password) override;
    bool Erase(const TKeyringEntry& entry) override;

private:
    std::chrono::milliseconds answerBound_;
};
