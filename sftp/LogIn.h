#pragma once
// The log-in of an SSH session as a user expects it: the password of the window when there is one; otherwise the
// SSH agent, then the user's default keys (~/.ssh/id_ed25519, id_ecdsa, id_rsa), asking for the passphrase of a key
// that has one.

#include "sftp/SshSession.h"

#include <functional>
#include <optional>
#include <string>

namespace sftp {

struct TLogInResult {
    bool LoggedIn = false;
    std::string Method;        // what worked: "password", "agent", or the key file's name ("id_ed25519")
    std::string ServerMethods; // refused: what the server accepts ("publickey,password")
};

// Asked for the passphrase of the key file at the path; nothing when the user declines.
using TPassphraseQuestion = std::function<std::optional<std::string>(const std::string& keyPath)>;

// `keyFolder`: where the default keys are (the user's ~/.ssh).
TLogInResult LogIn(TSshSession& session, const std::string& user, const std::string& password,
                   const std::string& keyFolder, const TPassphraseQuestion& askPassphrase);

// Whether the private key file is kept under a passphrase (OpenSSH's own format and the older PEM one).
bool KeyNeedsPassphrase(const std::string& keyPath);

// The user's ~/.ssh (Windows: %USERPROFILE%\.ssh).
std::string UserKeyFolder();

} // namespace sftp
