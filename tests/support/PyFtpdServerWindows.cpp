#include "tests/support/PyFtpdServer.h"

#include <cstdlib>
#include <stdexcept>

namespace ferrylo::testing {

namespace {

// The account tools/windows-test.sh gives its server.
constexpr const char* kSharedAccount = "bench";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void empty(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

} // namespace

std::string PyFtpdServer::Unavailable(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour) {
    if (environment("FERRYLO_PYFTPD_PORT").empty() || environment("FERRYLO_PYFTPD_ROOT").empty())
        return "no test FTP server: run through tools/windows-test.sh";
    if (tls != Tls::Off)
        return "needs a TLS server of its own; the one tools/windows-test.sh starts speaks plain FTP";
    if (connectionsPerAddress > 0)
        return "needs a server with a connection limit; the one tools/windows-test.sh starts has none";
    if (misbehaviour.dropAtBytes > 0 || !misbehaviour.firstSizeAfterDrop.empty() || misbehaviour.refuseRestartedStore)
        return "needs a server that misbehaves on purpose; the one tools/windows-test.sh starts behaves";
    return {};
}

PyFtpdServer::PyFtpdServer(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour) {
    if (const std::string why = Unavailable(tls, connectionsPerAddress, misbehaviour); !why.empty())
        throw std::runtime_error(why);
    const int port = std::atoi(environment("FERRYLO_PYFTPD_PORT").c_str());
    if (port <= 0 || port > 65535)
        throw std::runtime_error("FERRYLO_PYFTPD_PORT is not a port");
    port_ = static_cast<std::uint16_t>(port);
    root_ = environment("FERRYLO_PYFTPD_ROOT");
    user_ = password_ = kSharedAccount;
    empty(root_);
}

PyFtpdServer::~PyFtpdServer() {
    stop();
}

void PyFtpdServer::stop() {
    empty(root_);
}

std::string PyFtpdServer::log() const {
    return "(the server's log is where tools/windows-test.sh started it)";
}

} // namespace ferrylo::testing
