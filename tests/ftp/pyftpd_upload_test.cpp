// The client against a real FTP server that no one here wrote, in both data-connection modes: log in, build a
// folder chain one level at a time as the copy job does, upload files of the awkward sizes, and compare bytes.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using ferrylo::testing::PyFtpdServer;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class RealServer : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Modes, RealServer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_P(RealServer, FolderChainAndFilesArriveByteIdentical) {
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.user(), server.password());
    ftp.Passive = GetParam();
    ftp.ConnectAndLogIn(true, -1);
    ASSERT_TRUE(ftp.IsOpen()) << server.log();

    // The job's walk: from "/", MKD (errors ignored) then CWD for each level, back to "/".
    const std::vector<std::string> chain = {"one", "two words", "three"};
    for (int pass = 0; pass < 2; ++pass) { // the second pass finds every level present
        ftp.ChangeRemoteDir("/");
        for (const auto& level : chain) {
            try {
                ftp.MakeRemoteDir(level);
            } catch (const EIdProtocolReplyError& error) {
                EXPECT_EQ(pass, 1) << error.what();
            }
            ftp.ChangeRemoteDir(level);
        }
    }
    ftp.ChangeRemoteDir("/");
    ASSERT_TRUE(std::filesystem::is_directory(server.root() / "one" / "two words" / "three"));

    ftptest::WorkRecorder recorder;
    recorder.Attach(ftp);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100000}, std::size_t{5} << 20}) {
        SCOPED_TRACE(size);
        const std::string bytes = ftptest::PatternBytes(size);
        ftptest::MemoryStream stream(bytes);
        const std::string name = "/one/two words/three/file " + std::to_string(size) + ".bin";
        recorder.events.clear();
        ftp.UploadStream(stream, name);
        EXPECT_TRUE(ReadAll(server.root() / ("one/two words/three/file " + std::to_string(size) + ".bin")) == bytes);
        ASSERT_FALSE(recorder.events.empty());
        EXPECT_EQ(recorder.events.back().kind, "end");
        if (size > 0) {
            EXPECT_EQ(recorder.events[recorder.events.size() - 2].count, static_cast<int64_t>(size));
        }
    }
    ftp.AbortTransfer();
    ftp.LeaveServer();
    EXPECT_FALSE(ftp.IsOpen());
}

TEST(RealServerLogIn, WrongPasswordFailsWith530AndCloses) {
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.user(), "not the password");
    try {
        ftp.ConnectAndLogIn(true, -1);
        ADD_FAILURE();
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 530);
    }
    EXPECT_FALSE(ftp.IsOpen());
}

} // namespace
