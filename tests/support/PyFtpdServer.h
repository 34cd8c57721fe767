// A real FTP server for tests: a python process serving one user with write rights on a fresh temporary
// root on 127.0.0.1, started by the constructor (bounded wait until it accepts) and stopped by the
// destructor (SIGTERM, bounded wait, SIGKILL as a last resort), which also removes the root. With Tls::Required
// it speaks explicit TLS only, with a self-signed certificate for 127.0.0.1 that it makes with the openssl command
// line in its temporary folder (a new key each time, so two servers show two certificates).
// Under Wine no Linux process can be started from a test: there a launcher that tools/windows-test.sh runs starts
// the same server on request (FERRYLO_PYFTPD_LAUNCHER names its port) and stops it when this object goes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace ferrylo::testing {

// What a PyFtpdServer does wrong on purpose, around a client's resume; the defaults behave.
struct PyFtpdMisbehaviour {
    std::uint64_t dropAtBytes = 0;     // > 0: the first upload's session is cut once this many bytes arrived
    std::string firstSizeAfterDrop;    // non-empty: the first SIZE after that drop says "213 " + this
    bool refuseRestartedStore = false; // a store after REST gets 451, as stock servers may answer
};

class PyFtpdServer {
public:
    enum class Tls { Off, Required };
    using Misbehaviour = PyFtpdMisbehaviour;
    // `connectionsPerAddress` > 0: a client address gets no more connections at once (a shared host's limit).
    explicit PyFtpdServer(Tls tls = Tls::Off, int connectionsPerAddress = 0, const Misbehaviour& misbehaviour = {});
    ~PyFtpdServer();
    // Why such a server cannot be had here (for GTEST_SKIP), or empty when it can.
    static std::string Unavailable(Tls tls = Tls::Off, int connectionsPerAddress = 0,
                                   const Misbehaviour& misbehaviour = {});
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    const std::string& host() const { return host_; }
    std::uint16_t port() const { return port_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    // The server's "/" on the local disk.
    const std::filesystem::path& root() const { return root_; }
    // What the server wrote to stderr so far (warnings and tracebacks), for failure messages.
    std::string log() const;

private:
    void stop();
    void makeCertificate();

    std::string host_ = "127.0.0.1";
    std::uint16_t port_ = 0;
    std::string user_ = "ferrylo";
    std::string password_ = "pass word";
    std::filesystem::path base_;
    std::filesystem::path root_;
    pid_t pid_ = -1;
    std::intptr_t launcherLink_ = -1; // Windows: the connection to the launcher that keeps the server
};

} // namespace ferrylo::testing
