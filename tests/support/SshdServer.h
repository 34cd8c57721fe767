// The system's OpenSSH daemon, run by a test on 127.0.0.1: a fresh temporary folder holds its own host key (so two
// servers show two keys), its own configuration, a client key pair that may log in as the running user, and a
// writable upload root. Started by the constructor (bounded wait until the port accepts), never daemonised; the
// destructor ends it with its sessions (SIGTERM, bounded wait, SIGKILL) and removes the folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace ferrylo::testing {

class SshdServer {
public:
    SshdServer();
    ~SshdServer();
    SshdServer(const SshdServer&) = delete;
    SshdServer& operator=(const SshdServer&) = delete;

    // Why such a server cannot be had here (for GTEST_SKIP), or empty when it can.
    static std::string Unavailable();

    const std::string& host() const { return host_; }
    std::uint16_t port() const { return port_; }
    const std::string& user() const { return user_; }
    // The client's private key file (no passphrase).
    std::filesystem::path clientKey() const { return base_ / "client_key"; }
    // The upload root: a local folder, and the same path over SFTP (there is no chroot).
    const std::filesystem::path& root() const { return root_; }
    // "ssh-ed25519 AAAA…"
    const std::string& hostKeyLine() const { return hostKeyLine_; }
    // "SHA256:…"
    const std::string& hostKeyFingerprint() const { return hostKeyFingerprint_; }
    // What sshd wrote to stderr so far, for failure messages.
    std::string log() const;

private:
    void makeKeys();
    void writeConfig(std::uint16_t port) const;
    bool startOn(std::uint16_t port);
    void stop();

    std::string host_ = "127.0.0.1";
    std::uint16_t port_ = 0;
    std::string user_;
    std::filesystem::path base_;
    std::filesystem::path root_;
    std::string hostKeyLine_;
    std::string hostKeyFingerprint_;
    pid_t pid_ = -1;
};

} // namespace ferrylo::testing
