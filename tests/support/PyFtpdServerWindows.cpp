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

// The variables naming the server of the kind asked for.
struct SharedServer {
    const char* port;
    const char* root;
};

SharedServer sharedServer(PyFtpdServer::Tls tls) {
    if (tls == PyFtpdServer::Tls::Required)
        return {"FERRYLO_PYFTPD_TLS_PORT", "FERRYLO_PYFTPD_TLS_ROOT"};
    return {"FERRYLO_PYFTPD_PORT", "FERRYLO_PYFTPD_ROOT"};
}

} // namespace

std::string PyFtpdServer::Unavailable(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour) {
    const SharedServer shared = sharedServer(tls);
    if (environment(shared.port).empty() || environment(shared.root).empty())
        return std::string("no test FTP server (") + shared.port + "): run through tools/windows-test.sh";
    if (connectionsPerAddress > 0)
        return "needs a server with a connection limit; the ones tools/windows-test.sh starts have none";
    if (misbehaviour.dropAtBytes > 0 || !misbehaviour.firstSizeAfterDrop.empty() || misbehaviour.refuseRestartedStore)
        return "needs a server that misbehaves on purpose; the ones tools/windows-test.sh starts behave";
    return {};
}

PyFtpdServer::PyFtpdServer(Tls tls, int connectionsPerAddress, const Misbehaviour& misbehaviour) {
    if (const std::string why = Unavailable(tls, connectionsPerAddress, misbehaviour); !why.empty())
        throw std::runtime_error(why);
    const SharedServer shared = sharedServer(tls);
    const int port = std::atoi(environment(shared.port).c_str());
    if (port <= 0 || port > 65535)
        throw std::runtime_error(std::string(shared.port) + " is not a port");
    port_ = static_cast<std::uint16_t>(port);
    root_ = environment(shared.root);
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
