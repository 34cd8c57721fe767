#include "tests/support/PyFtpdServer.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackSockets.h"

#include <chrono>
#include <stdexcept>
#include <vector>

namespace ferrylo::testing {

namespace {

constexpr auto kStartBound = std::chrono::seconds(15);
constexpr auto kStopBound = std::chrono::seconds(5);

} // namespace

PyFtpdServer::PyFtpdServer(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour)
    : base_(makePrivateTempFolder("ferrylo-pyftpd-")), root_(base_ / "root") {
    std::filesystem::create_directory(root_);
    if (tls == Tls::Required)
        makeCertificate();
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
        // One key exchange group, as a stock daemon takes: a client that offers another first pays a round trip.
        args.insert(args.end(), {"--certfile", (base_ / "cert.pem").string(), "--keyfile", (base_ / "key.pem").string(),
                                 "--ecdh-curve", "prime256v1"});
    }
    if (connectionsPerAddress > 0)
        args.insert(args.end(), {"--max-cons-per-ip", std::to_string(connectionsPerAddress)});
    if (misbehaviour.dropAtBytes > 0)
        args.insert(args.end(), {"--drop-at", std::to_string(misbehaviour.dropAtBytes)});
    if (!misbehaviour.firstSizeAfterDrop.empty())
        args.insert(args.end(), {"--first-size", misbehaviour.firstSizeAfterDrop});
    if (misbehaviour.refuseRestartedStore)
        args.emplace_back("--refuse-restart");

    const int port = startServer(args, base_ / "server.log", kStartBound, pid_);
    if (port == 0 || !connectTo(host_, static_cast<std::uint16_t>(port)).valid()) {
        const std::string why = "the python FTP server did not start:\n" + log();
        stop();
        throw std::runtime_error(why);
    }
    port_ = static_cast<std::uint16_t>(port);
}

void PyFtpdServer::makeCertificate() {
    // Key generation takes milliseconds; the bound only keeps a broken tool from hanging the test.
    if (!runTool({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                  "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                  (base_ / "key.pem").string(), "-out", (base_ / "cert.pem").string()},
                 base_ / "openssl.log", kStartBound)) {
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
    if (pid_ > 0)
        stopProcessTree(pid_, kStopBound);
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
}

std::string PyFtpdServer::log() const {
    return readWholeFile(base_ / "server.log");
}

} // namespace ferrylo::testing
