// Explicit TLS (FTPS): uploads over a real TLS-only server in both data-connection modes, and every way the
// encryption can fail before the log-in, where the password must never have been sent.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/TlsLibrary.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class TlsServer : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Modes, TlsServer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

// The server demands AUTH TLS before USER and PROT P before any data connection, so a file that arrives came
// through TLS on both connections.
TEST_P(TlsServer, FilesArriveByteIdenticalAfterOneQuestionAboutTheCertificate) {
    if (const std::string why = PyFtpdServer::Unavailable(PyFtpdServer::Tls::Required); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.user(), server.password());
    ftp.Passive = GetParam();
    ftp.UseTLS = true;
    std::vector<TIdTLSPeer> asked;
    ftp.OnVerifyPeer = [&asked](const TIdTLSPeer& peer) {
        asked.push_back(peer);
        return true;
    };
    ftp.ConnectAndLogIn(true, -1);
    ASSERT_TRUE(ftp.IsOpen()) << server.log();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0].Trusted); // self-signed
    EXPECT_FALSE(asked[0].Problem.empty());
    EXPECT_EQ(asked[0].Reasons, std::vector<TIdTLSReason>{TIdTLSReason::SelfSigned});
    EXPECT_EQ(asked[0].Subject, "127.0.0.1");
    EXPECT_EQ(asked[0].Issuer, "127.0.0.1");
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(asked[0].ValidFrom, now, 120); // made for the test just now, for two days
    EXPECT_EQ(asked[0].ValidTo - asked[0].ValidFrom, 2 * 86400);
    EXPECT_EQ(asked[0].HostName, "127.0.0.1");
    EXPECT_EQ(asked[0].Fingerprint.size(), 32u * 3 - 1); // "AB:CD:..."
    EXPECT_EQ(ftp.TLSVersion().rfind("TLS 1.", 0), 0u) << ftp.TLSVersion();

    const ftp::tls::THandshakeTally before = ftp::tls::HandshakeTally();
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, (std::size_t{5} << 20) + 1}) {
        SCOPED_TRACE(size);
        const std::string bytes = ftptest::PatternBytes(size);
        ftptest::MemoryStream stream(bytes);
        ftp.UploadStream(stream, "/file" + std::to_string(size));
        EXPECT_TRUE(ReadAll(server.root() / ("file" + std::to_string(size))) == bytes) << server.log();
        // A store the server refuses while the data connection's handshake is under way leaves the control
        // connection in step for the next one.
        ftptest::MemoryStream refused(bytes);
        EXPECT_THROW(ftp.UploadStream(refused, "/no-such-folder/file"), EIdProtocolReplyError);
    }
    EXPECT_EQ(asked.size(), 1u); // the data connections show the same certificate and ask nothing
    // Every data connection resumed the control connection's session, as many servers insist, and offered the key
    // share the server took on the control connection (its only group), so none of them was asked for another.
    const ftp::tls::THandshakeTally after = ftp::tls::HandshakeTally();
    EXPECT_EQ(after.Resumed - before.Resumed, after.Completed - before.Completed);
    EXPECT_GE(after.Resumed - before.Resumed, 3u);
    // A passive data connection says hello before the reply, unless the refusal has closed it by then.
    const std::uint64_t refusedHellos = GetParam() ? 3 : 0;
    EXPECT_LE(after.Hellos - before.Hellos, after.Completed - before.Completed + refusedHellos);
    ftp.LeaveServer();
    EXPECT_FALSE(ftp.IsOpen());
}

TEST(TlsServerCertificate, NotAcceptedEndsTheConnection) {
    if (const std::string why = PyFtpdServer::Unavailable(PyFtpdServer::Tls::Required); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    for (const bool withHandler : {true, false}) {
        SCOPED_TRACE(withHandler);
        TIdFTP ftp;
        ftptest::PointAt(ftp, server, server.user(), server.password());
        ftp.UseTLS = true;
        if (withHandler)
            ftp.OnVerifyPeer = [](const TIdTLSPeer&) { return false; };
        EXPECT_THROW(ftp.ConnectAndLogIn(true, -1), EIdTLSPeerRejected);
        EXPECT_FALSE(ftp.IsOpen());
        EXPECT_TRUE(ftp.TLSVersion().empty());
    }
}

// Every complaint of the verification is kept, not only its last.
TEST(TlsServerCertificate, ACertificateForAnotherNameIsSaidToBeSo) {
    if (const std::string why = PyFtpdServer::Unavailable(PyFtpdServer::Tls::Required); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.user(), server.password());
    ftp.UseTLS = true;
    ftp.TLSHostName = "localhost"; // the certificate is for 127.0.0.1 only
    std::vector<TIdTLSReason> reasons;
    ftp.OnVerifyPeer = [&reasons](const TIdTLSPeer& peer) {
        reasons = peer.Reasons;
        return false;
    };
    EXPECT_THROW(ftp.ConnectAndLogIn(false, -1), EIdTLSPeerRejected);
    EXPECT_EQ(reasons, (std::vector<TIdTLSReason>{TIdTLSReason::SelfSigned, TIdTLSReason::WrongName}));
}

TEST(TlsRefused, NothingOfTheLogInGoesOutAndTheConnectionEnds) {
    struct Case {
        const char* name;
        std::function<void(FakeFtpServer&)> script;
        std::function<void()> expectRaised; // rethrows the current exception into an expectation
    };
    const Case cases[] = {
        {"AUTH not implemented", [](FakeFtpServer&) {}, [] { EXPECT_THROW(throw, EIdTLSRefused); }},
        {"AUTH refused", [](FakeFtpServer& s) { s.setReply("AUTH", "534 Not here."); },
         [] { EXPECT_THROW(throw, EIdTLSRefused); }},
        // Bytes in clear behind the 234 would be read later as if protected.
        {"a reply smuggled in clear behind 234",
         [](FakeFtpServer& s) { s.setReply("AUTH", "234 Go ahead.\r\n230 Logged in."); },
         [] { EXPECT_THROW(throw, EIdTLSError); }},
        {"234, then no TLS at all", [](FakeFtpServer& s) { s.setReply("AUTH", "234 Go ahead."); },
         [] { EXPECT_THROW(throw, EIdException); }},
        // Within the reply bound even though the server stops in the middle of the handshake.
        {"234, then silence in the handshake", [](FakeFtpServer& s) { s.stallAfter("AUTH", "234 Go ahead."); },
         [] { EXPECT_THROW(throw, EIdTLSTimedOut); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFtpServer server;
        c.script(server);
        TIdFTP ftp;
        ftptest::PointAt(ftp, server, server.options().user, server.options().password);
        ftp.UseTLS = true;
        ftp.ReplyTimeLimit = 500;
        try {
            ftp.ConnectAndLogIn(true, -1);
            ADD_FAILURE() << "logged in without TLS";
        } catch (...) {
            c.expectRaised();
        }
        EXPECT_FALSE(ftp.IsOpen());
        server.waitForSessionEnd(std::chrono::seconds(2)); // the silent one never ends by itself
        const auto commands = server.commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.front(), "AUTH TLS");
        EXPECT_TRUE(std::none_of(commands.begin(), commands.end(), [](const std::string& line) {
            return line.rfind("USER", 0) == 0 || line.rfind("PASS", 0) == 0;
        }));
    }
}

} // namespace
