#include "tests/support/ScriptedSshServer.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/SshKeys.h"

#include <unistd.h>

#include <random>
#include <stdexcept>
#include <vector>

namespace ferrylo::testing {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr auto kStartBound = std::chrono::seconds(15);
constexpr auto kStopBound = std::chrono::seconds(5);

std::string randomPassword() {
    std::random_device random;
    const char* digits = "0123456789abcdef";
    std::string password;
    for (int i = 0; i < 20; ++i)
        password += digits[random() % 16];
    return password;
}

} // namespace

std::string ScriptedSshServer::Unavailable() {
#ifdef _WIN32
    return "no scripted SSH server on Windows";
#else
    for (const char* tool : {kPython, kSshKeygen})
        if (::access(tool, X_OK) != 0)
            return std::string(tool) + " is not installed";
    // Asked once: starting python costs a fraction of a second.
    static const std::string paramikoMissing = [] {
        const auto folder = makePrivateTempFolder("ferrylo-paramiko-check-");
        const bool found =
            runTool({kPython, "-c", "import paramiko"}, folder / "python.log", std::chrono::seconds(15)).has_value();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return found ? std::string() : std::string("python3-paramiko is not installed");
    }();
    return paramikoMissing;
#endif
}

ScriptedSshServer::ScriptedSshServer(const Behaviour& behaviour)
    : password_(randomPassword()), base_(makePrivateTempFolder("ferrylo-scripted-ssh-")), root_(base_ / "root") {
    try {
        start(behaviour);
    } catch (...) {
        stop();
        throw;
    }
}

ScriptedSshServer::~ScriptedSshServer() {
    stop();
}

void ScriptedSshServer::start(const Behaviour& behaviour) {
    std::filesystem::create_directory(root_);
    const auto toolLog = base_ / "ssh-keygen.log";
    makeEd25519KeyPair(base_ / "host_key", toolLog);
    hostKeyLine_ = publicKeyLine(base_ / "host_key.pub");
    hostKeyFingerprint_ = sha256Fingerprint(base_ / "host_key.pub", toolLog);

    std::vector<std::string> args = {kPython,
                                     "-u",
                                     FERRYLO_SSH_SERVER_SCRIPT,
                                     "--root",
                                     root_.string(),
                                     "--host-key",
                                     (base_ / "host_key").string(),
                                     "--user",
                                     user_,
                                     "--password",
                                     password_,
                                     "--host",
                                     host_};
    if (!behaviour.authorizedKey.empty())
        args.insert(args.end(), {"--authorized-key", behaviour.authorizedKey});
    if (behaviour.silentAfterGreeting)
        args.emplace_back("--silent-after-greeting");
    if (behaviour.refuseWrites)
        args.emplace_back("--refuse-writes");
    if (behaviour.dropAtBytes > 0)
        args.insert(args.end(), {"--drop-at", std::to_string(behaviour.dropAtBytes)});
    if (!behaviour.firstSizeAfterDrop.empty())
        args.insert(args.end(), {"--first-size", behaviour.firstSizeAfterDrop});

    const int port = startServer(args, base_ / "server.log", kStartBound, pid_);
    // The port is printed once the server listens; no probe connection, which would only leave noise in its log.
    if (port == 0)
        throw std::runtime_error("the scripted SSH server did not start:\n" + log());
    port_ = static_cast<std::uint16_t>(port);
}

void ScriptedSshServer::stop() {
    stopProcessTree(pid_, kStopBound);
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
}

std::string ScriptedSshServer::log() const {
    return readWholeFile(base_ / "server.log");
}

} // namespace ferrylo::testing
