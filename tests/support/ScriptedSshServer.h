// A scripted SSH server for tests (python and paramiko) on 127.0.0.1: an SFTP subsystem whose "/" is a fresh
// temporary folder, for the cases a stock sshd cannot play. One user logs in with a password made new each start,
// or with a given public key. A fresh ed25519 host key each start. Started by the constructor (bounded wait for its
// port), stopped by the destructor (SIGTERM, bounded wait, SIGKILL), which also removes the folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace ferrylo::testing {

// How a ScriptedSshServer logs users in and what it does wrong on purpose; the defaults behave.
struct ScriptedSshBehaviour {
    std::string authorizedKey;        // non-empty: this public key line ("ssh-ed25519 AAAA…") logs in too
    bool silentAfterGreeting = false; // sends its version line, then nothing more (reads and ignores)
    bool refuseWrites = false;        // opening a file for writing is denied
    std::uint64_t dropAtBytes = 0;    // > 0: the first upload's connection is cut once this many bytes arrived
    std::string firstSizeAfterDrop;   // non-empty (digits): the first stat of a file after that drop says this size
};

class ScriptedSshServer {
public:
    using Behaviour = ScriptedSshBehaviour;
    explicit ScriptedSshServer(const Behaviour& behaviour = {});
    ~ScriptedSshServer();
    ScriptedSshServer(const ScriptedSshServer&) = delete;
    ScriptedSshServer& operator=(const ScriptedSshServer&) = delete;

    // Why such a server cannot be had here (for GTEST_SKIP), or empty when it can.
    static std::string Unavailable();

    const std::string& host() const { return host_; }
    std::uint16_t port() const { return port_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    // The server's "/" on the local disk.
    const std::filesystem::path& root() const { return root_; }
    // "ssh-ed25519 AAAA…"
    const std::string& hostKeyLine() const { return hostKeyLine_; }
    // "SHA256:…"
    const std::string& hostKeyFingerprint() const { return hostKeyFingerprint_; }
    // What the server wrote to stderr so far (warnings and tracebacks), for failure messages.
    std::string log() const;

private:
    void start(const Behaviour& behaviour);
    void stop();

    std::string host_ = "127.0.0.1";
    std::uint16_t port_ = 0;
    std::string user_ = "ferrylo";
    std::string password_;
    std::filesystem::path base_;
    std::filesystem::path root_;
    std::string hostKeyLine_;
    std::string hostKeyFingerprint_;
    pid_t pid_ = -1;
};

} // namespace ferrylo::testing
