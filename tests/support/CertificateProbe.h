// The SHA-256 fingerprint of a test server's certificate as the client reports it, read by a connection that
// refuses the certificate (so nothing is remembered and no log-in is sent).
#pragma once

#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "tests/support/PyFtpdServer.h"

#include <gtest/gtest.h>
#include <string>

namespace ferrylo::testing {

inline std::string FingerprintOf(const PyFtpdServer& server) {
    std::string fingerprint;
    TIdFTP probe;
    probe.SetHost(server.host());
    probe.SetPort(server.port());
    probe.UseTLS = true;
    probe.OnVerifyPeer = [&fingerprint](const TIdTLSPeer& peer) {
        fingerprint = peer.Fingerprint;
        return false;
    };
    EXPECT_THROW(probe.ConnectAndLogIn(false), EIdTLSPeerRejected);
    return fingerprint;
}

} // namespace ferrylo::testing
