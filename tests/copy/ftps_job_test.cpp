// The copy job with encryption on: over a TLS-only server the files arrive and the log names the TLS version; a
// server that refuses TLS is no connection, said in words, and never hears the log-in.
#include "CopyJobFixture.h"

#include "ftp/TIdFTP.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <algorithm>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {

using FtpsCopyTest = CopyJobFixture;

TEST_F(FtpsCopyTest, FilesArriveOverTlsAndTheLogNamesTheVersion) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    makeFile("src/data/sub/b.bin", std::string(300000, 'b'));
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    pointAt(server.host(), server.port(), server.user(), server.password());
    host().ftp.UseTLS = true;
    host().ftp.OnVerifyPeer = [](const TIdTLSPeer&) { return true; };
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();

    EXPECT_TRUE(errors().empty()) << server.log();
    EXPECT_EQ(readFile((server.root() / "in/data/a.txt").string()), "alpha");
    const std::string big = readFile((server.root() / "in/data/sub/b.bin").string());
    EXPECT_EQ(big.size(), 300000u);
    EXPECT_TRUE(big == std::string(300000, 'b'));
    const auto log = logTexts();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().rfind(": Шифрованное соединение (TLS 1.", 0), 0u) << log.front();
}

TEST_F(FtpsCopyTest, ServerWithoutTlsIsNoConnectionAndHearsNoLogIn) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    FakeFtpServer server; // answers AUTH with 502
    pointAt(server.host(), server.port(), server.options().user, server.options().password);
    host().ftp.UseTLS = true;
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();

    const auto texts = script_.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], QStringLiteral("Сервер не поддерживает шифрование (FTPS)"));
    EXPECT_EQ(texts.back(), QStringLiteral("Нет связи"));
    EXPECT_EQ(logTexts(), std::vector<std::string>{": Сервер не поддерживает шифрование (FTPS)"});
    server.waitForSessionEnd(std::chrono::seconds(5));
    const auto commands = server.commands();
    EXPECT_TRUE(std::none_of(commands.begin(), commands.end(),
                             [](const std::string& line) { return line.rfind("USER", 0) == 0; }));
    EXPECT_TRUE(server.stored().empty());
}

} // namespace
