#include "tests/support/LoopbackSockets.h"
#include "tests/support/PyFtpdServer.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ferrylo::testing {

namespace {

constexpr auto kStartBound = std::chrono::seconds(20); // the launcher may make a certificate first

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// What the launcher is asked for: the options of its server script.
std::string request(PyFtpdServer::Tls tls, int connectionsPerAddress, const PyFtpdMisbehaviour& misbehaviour) {
    std::ostringstream line;
    if (tls == PyFtpdServer::Tls::Required)
        line << " --tls";
    if (connectionsPerAddress > 0)
        line << " --max-cons-per-ip " << connectionsPerAddress;
    if (misbehaviour.dropAtBytes > 0)
        line << " --drop-at " << misbehaviour.dropAtBytes;
    if (!misbehaviour.firstSizeAfterDrop.empty())
        line << " --first-size '" << misbehaviour.firstSizeAfterDrop << "'";
    if (misbehaviour.refuseRestartedStore)
        line << " --refuse-restart";
    line << "\n";
    return line.str();
}

// The launcher's one-line answer, within the bound; empty when none came.
std::string answerLine(SocketFd link) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        char chunk[512];
        std::int64_t got = 0;
        if (left.count() <= 0 || !waitReadable(link, left) || (got = receiveSome(link, chunk, sizeof chunk)) <= 0)
            return {};
        line.append(chunk, static_cast<std::size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

} // namespace

std::string PyFtpdServer::Unavailable(Tls, int, const Misbehaviour&) {
    if (environment("FERRYLO_PYFTPD_LAUNCHER").empty())
        return "no test FTP server launcher (FERRYLO_PYFTPD_LAUNCHER): run through tools/windows-test.sh";
    return {};
}

// Under Wine no Linux process can be started: the launcher that tools/windows-test.sh runs starts the server, and
// keeps it as long as this connection stays open. Its root is a Linux folder, reached through Wine's Z: drive.
PyFtpdServer::PyFtpdServer(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour) {
    if (const std::string why = Unavailable(tls, connectionsPerAddress, misbehaviour); !why.empty())
        throw std::runtime_error(why);
    const int launcher = std::atoi(environment("FERRYLO_PYFTPD_LAUNCHER").c_str());
    UniqueFd link = connectTo(host_, static_cast<std::uint16_t>(launcher));
    if (!link.valid() || !sendAll(link.get(), request(tls, connectionsPerAddress, misbehaviour)))
        throw std::runtime_error("the test FTP server launcher does not answer");
    const std::string answer = answerLine(link.get());
    std::istringstream fields(answer);
    int port = 0;
    std::string root;
    fields >> port >> std::ws;
    std::getline(fields, root);
    if (port <= 0 || port > 65535 || root.empty())
        throw std::runtime_error("the test FTP server did not start: " + answer);
    port_ = static_cast<std::uint16_t>(port);
    root_ = "Z:" + root;
    base_ = root_.parent_path();
    launcherLink_ = link.release();
}

PyFtpdServer::~PyFtpdServer() {
    stop();
}

// The launcher stops the server, removes its folder and only then closes its end: the root is gone on return.
void PyFtpdServer::stop() {
    UniqueFd link(launcherLink_);
    launcherLink_ = shim::kNoSocket;
    if (link.valid() && sendAll(link.get(), "stop\n"))
        waitReadable(link.get(), std::chrono::seconds(10));
}

std::string PyFtpdServer::log() const {
    std::ifstream in(base_ / "server.log", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace ferrylo::testing
