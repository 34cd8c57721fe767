#include "tests/support/SshdServer.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackSockets.h"
#include "tests/support/SshKeys.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <thread>

namespace ferrylo::testing {

namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";
constexpr auto kStartBound = std::chrono::seconds(10);
constexpr auto kStopBound = std::chrono::seconds(5);
// Another process may take the free port between our look and sshd's bind.
constexpr int kStartAttempts = 3;

std::string runningUserName() {
    const passwd* entry = ::getpwuid(::geteuid());
    if (!entry)
        throw std::runtime_error("the running user has no name");
    return entry->pw_name;
}

std::uint16_t freeLoopbackPort() {
    std::uint16_t port = 0;
    if (!listenOn("127.0.0.1", 0, &port).valid())
        throw std::runtime_error("no free port on 127.0.0.1");
    return port;
}

// As root, sshd separates privileges into this folder and refuses to start without it.
void ensurePrivilegeSeparationFolder() {
    if (::geteuid() == 0 && ::mkdir("/run/sshd", 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create /run/sshd");
}

} // namespace

std::string SshdServer::Unavailable() {
#ifdef _WIN32
    return "no sshd on Windows";
#else
    for (const char* tool : {kSshd, kSshKeygen})
        if (::access(tool, X_OK) != 0)
            return std::string(tool) + " is not installed";
    return {};
#endif
}

SshdServer::SshdServer()
    : user_(runningUserName()), base_(makePrivateTempFolder("ferrylo-sshd-")), root_(base_ / "root") {
    try {
        std::filesystem::create_directory(root_);
        makeKeys();
        ensurePrivilegeSeparationFolder();
        for (int attempt = 0; attempt < kStartAttempts && port_ == 0; ++attempt)
            startOn(freeLoopbackPort());
        if (port_ == 0)
            throw std::runtime_error("sshd did not start:\n" + log());
    } catch (...) {
        stop();
        throw;
    }
}

SshdServer::~SshdServer() {
    stop();
}

void SshdServer::makeKeys() {
    const auto toolLog = base_ / "ssh-keygen.log";
    makeEd25519KeyPair(base_ / "host_key", toolLog);
    makeEd25519KeyPair(clientKey(), toolLog);
    hostKeyLine_ = publicKeyLine(base_ / "host_key.pub");
    hostKeyFingerprint_ = sha256Fingerprint(base_ / "host_key.pub", toolLog);
    std::ofstream(base_ / "authorized_keys") << publicKeyLine(base_ / "client_key.pub") << "\n";
}

void SshdServer::writeConfig(std::uint16_t port) const {
    std::ofstream config(base_ / "sshd_config", std::ios::trunc);
    config << "ListenAddress 127.0.0.1\n"
           << "Port " << port << "\n"
           << "HostKey " << (base_ / "host_key").string() << "\n"
           << "PidFile " << (base_ / "sshd.pid").string() << "\n"
           << "AuthorizedKeysFile " << (base_ / "authorized_keys").string() << "\n"
           << "StrictModes no\n"
           << "UsePAM no\n"
           << "PasswordAuthentication no\n"
           << "KbdInteractiveAuthentication no\n"
           << "PermitRootLogin prohibit-password\n"
           << "Subsystem sftp internal-sftp\n"
           << "LogLevel ERROR\n"
           << "UseDNS no\n"
           // A client opens up to eight connections at once; the default starts dropping some beyond ten.
           << "MaxStartups 64\n";
}

bool SshdServer::startOn(std::uint16_t port) {
    writeConfig(port);
    pid_ = spawnChild({kSshd, "-D", "-e", "-f", (base_ / "sshd_config").string()}, -1, base_ / "sshd.log");
    if (pid_ <= 0)
        throw std::runtime_error(std::string("cannot start ") + kSshd);
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (std::chrono::steady_clock::now() < deadline) {
        if (connectTo(host_, port).valid()) {
            port_ = port;
            return true;
        }
        if (childHasEnded(pid_)) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stopProcessTree(pid_, kStopBound);
    return false;
}

void SshdServer::stop() {
    stopProcessTree(pid_, kStopBound);
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
}

std::string SshdServer::log() const {
    return readWholeFile(base_ / "sshd.log");
}

} // namespace ferrylo::testing
