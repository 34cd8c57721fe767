#pragma once
// The user's known hosts file as OpenSSH keeps it (plain or hashed entries, "[host]:port" for other ports): whether
// a server's host key is the one remembered, a new one, or another one than remembered, and the line that holds it.

#include "sftp/HostKey.h"

#include <string>

namespace sftp {

enum class THostKeyStanding { Known, Unknown, Changed };

struct THostKeyCheck {
    THostKeyStanding Standing = THostKeyStanding::Unknown;
    int Line = 0;                      // Changed: the line (from 1) of the file that names the host with another key
    std::string RememberedFingerprint; // Changed: the fingerprint of the key on that line
};

// `host` as typed (a name or an address), `port` the server's.
THostKeyCheck CheckHostKey(const std::string& knownHostsPath, const std::string& host, int port, const THostKey& key);

// Appends the key for `host` to the file (made with its folder when missing); false when it cannot be written.
bool RememberHostKey(const std::string& knownHostsPath, const std::string& host, int port, const THostKey& key);

// Where the user's file is: ~/.ssh/known_hosts (Windows: %USERPROFILE%\.ssh\known_hosts).
std::string UserKnownHostsPath();

} // namespace sftp
