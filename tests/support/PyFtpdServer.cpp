#include "tests/support/PyFtpdServer.h"

#include "tests/support/LoopbackSockets.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace ferrylo::testing {

namespace {

constexpr auto kStartBound = std::chrono::seconds(15);
constexpr auto kStopBound = std::chrono::seconds(5);

std::filesystem::path makeTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ferrylo-pyftpd-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder for the FTP server");
    return pattern;
}

// Reads the first stdout line (the port) within the bound; empty when none came.
std::string readFirstLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !waitReadable(fd, left))
            return {};
        char chunk[64];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        line.append(chunk, static_cast<std::size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

} // namespace

PyFtpdServer::PyFtpdServer(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour)
    : base_(makeTempFolder()), root_(base_ / "root") {
    std::filesystem::create_directory(root_);
    if (tls == Tls::Required)
        makeCertificate();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    UniqueFd readEnd(out[0]), writeEnd(out[1]);

    const std::string logPath = (base_ / "server.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> args = {"/usr/bin/python3",
                                     "-u",
                                     FERRYLO_PYFTPD_SCRIPT,
                                     "--root",
                                     root_.string(),
                                     "--user",
                                     user_,
                                     "--password",
                                     password_,
                                     "--host",
                                     host_};
    if (tls == Tls::Required) {
        args.insert(args.end(),
                    {"--certfile", (base_ / "cert.pem").string(), "--keyfile", (base_ / "key.pem").string()});
    }
    if (connectionsPerAddress > 0)
        args.insert(args.end(), {"--max-cons-per-ip", std::to_string(connectionsPerAddress)});
    if (misbehaviour.dropAtBytes > 0)
        args.insert(args.end(), {"--drop-at", std::to_string(misbehaviour.dropAtBytes)});
    if (!misbehaviour.firstSizeAfterDrop.empty())
        args.insert(args.end(), {"--first-size", misbehaviour.firstSizeAfterDrop});
    if (misbehaviour.refuseRestartedStore)
        args.emplace_back("--refuse-restart");
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.reset();
    if (spawned != 0) {
        pid_ = -1;
        std::filesystem::remove_all(base_);
        throw std::runtime_error("cannot start /usr/bin/python3");
    }

    const std::string portText = readFirstLine(readEnd.get());
    const int port = std::atoi(portText.c_str());
    if (port <= 0 || port > 65535 || !connectTo(host_, static_cast<std::uint16_t>(port)).valid()) {
        const std::string why = "the python FTP server did not start:\n" + log();
        stop();
        throw std::runtime_error(why);
    }
    port_ = static_cast<std::uint16_t>(port);
}

void PyFtpdServer::makeCertificate() {
    const std::string key = (base_ / "key.pem").string();
    const std::string cert = (base_ / "cert.pem").string();
    std::vector<std::string> args = {"/usr/bin/openssl",
                                     "req",
                                     "-x509",
                                     "-newkey",
                                     "ec",
                                     "-pkeyopt",
                                     "ec_paramgen_curve:prime256v1",
                                     "-nodes",
                                     "-days",
                                     "2",
                                     "-subj",
                                     "/CN=127.0.0.1",
                                     "-addext",
                                     "subjectAltName=IP:127.0.0.1",
                                     "-keyout",
                                     key,
                                     "-out",
                                     cert};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string logPath = (base_ / "openssl.log").string();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(), O_WRONLY | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    // Key generation takes milliseconds; the bound only keeps a broken tool from hanging the test.
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    pid_t done = 0;
    while (spawned == 0 && (done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (spawned == 0 && done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    if (spawned != 0 || done <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
        throw std::runtime_error("cannot make a test certificate with /usr/bin/openssl");
    }
}

std::string PyFtpdServer::Unavailable(Tls, int, const Misbehaviour&) {
    return {};
}

PyFtpdServer::~PyFtpdServer() {
    stop();
}

void PyFtpdServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kStopBound;
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
}

std::string PyFtpdServer::log() const {
    std::ifstream file(base_ / "server.log");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace ferrylo::testing
