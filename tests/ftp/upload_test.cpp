// Uploads against the scripted server, in both data-connection modes where the mode matters: chunks and work
// events, refused and aborted stores, the data channel's lifetime, large streams, and the address checks that
// keep the file from reaching anyone but the server.
#include "ftp/FileStream.h"
#include "ftp/IdExceptions.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "ftp/TIdIOHandlerSocket.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/FakeFtpServer.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

using ferrylo::testing::FakeFtpServer;
using ftptest::MemoryStream;
using ftptest::WorkRecorder;
using namespace std::chrono_literals;

namespace {

class Upload : public ::testing::TestWithParam<bool> {
protected:
    void Connect(FakeFtpServer& server) {
        ftptest::PointAt(ftp, server, server.options().user, server.options().password);
        ftp.Passive = GetParam();
        recorder.Attach(ftp);
        ftp.ConnectAndLogIn(true, -1);
    }
    TIdFTP ftp;
    WorkRecorder recorder;
};

INSTANTIATE_TEST_SUITE_P(Modes, Upload, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_P(Upload, HundredThousandBytesInFourChunksWithTheirEvents) {
    FakeFtpServer server;
    Connect(server);
    const std::string bytes = ftptest::PatternBytes(100000);
    MemoryStream stream(bytes);
    ftp.UploadStream(stream, "/dir/file.bin");

    EXPECT_EQ(stream.reads, (std::vector<int64_t>{32768, 32768, 32768, 1696}));
    ASSERT_GE(recorder.events.size(), 3u);
    EXPECT_EQ(recorder.events.front().kind, "begin");
    EXPECT_EQ(recorder.events.front().count, 100000);
    EXPECT_EQ(recorder.events.back().kind, "end");
    const auto& lastWork = recorder.events[recorder.events.size() - 2];
    EXPECT_EQ(lastWork.kind, "work");
    EXPECT_EQ(lastWork.count, 100000);
    EXPECT_EQ(recorder.Count("begin"), 1);
    EXPECT_EQ(recorder.Count("end"), 1);
    // The data channel raises the events, not the control connection.
    EXPECT_NE(recorder.events.front().sender, static_cast<TIdComponent*>(&ftp));
    EXPECT_EQ(ftp.DataChannel(), nullptr);

    const auto stored = server.stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].verb, "STOR");
    EXPECT_EQ(stored[0].argument, "/dir/file.bin");
    EXPECT_TRUE(stored[0].content == bytes);
    const auto commands = ftptest::WithoutFeatureQuestion(server.commands());
    EXPECT_EQ(commands[4].substr(0, 4), GetParam() ? "PASV" : "PORT");
}

#ifdef TCP_NOTSENT_LOWAT
// While a file goes out, at most a chunk waits unsent in the system's queue, so what the server reads next is still
// in the processor's cache; a queue of megabytes made a big upload a fifth slower.
TEST_P(Upload, AtMostAChunkWaitsUnsent) {
    FakeFtpServer server;
    Connect(server);
    int limit = -1;
    ftp.OnWork = [&](TIdComponent*, TWorkMode, int64_t) {
        const auto* channel = dynamic_cast<TIdIOHandlerSocket*>(ftp.DataChannel()->IOHandler());
        socklen_t size = sizeof limit;
        getsockopt(static_cast<int>(channel->Binding()->SocketId()), IPPROTO_TCP, TCP_NOTSENT_LOWAT, &limit, &size);
    };
    ftptest::SyntheticStream stream(100000);
    ftp.UploadStream(stream, "f");
    EXPECT_EQ(limit, ftp.SendBufferSize);
}
#endif

TEST_P(Upload, ZeroLengthOpensTheDataConnectionAndSendsNothing) {
    FakeFtpServer server;
    Connect(server);
    MemoryStream empty("");
    ftp.UploadStream(empty, "empty");
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].kind, "begin");
    EXPECT_EQ(recorder.events[0].count, 0);
    EXPECT_EQ(recorder.events[1].kind, "end");
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].size, 0u);
}

TEST_P(Upload, TwoInARowEachWithItsOwnChannelAndEvents) {
    FakeFtpServer server;
    Connect(server);
    MemoryStream first(std::string(70000, 'a')), second(std::string(10, 'b'));
    ftp.UploadStream(first, "one");
    const std::size_t firstEvents = recorder.events.size();
    ftp.UploadStream(second, "two");
    EXPECT_EQ(recorder.Count("begin"), 2);
    EXPECT_EQ(recorder.Count("end"), 2);
    EXPECT_EQ(recorder.events[firstEvents].count, 10);     // the second begin carries its own size
    EXPECT_EQ(recorder.events[firstEvents + 1].count, 10); // and its count starts again from 0
    const auto stored = server.stored();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].size, 70000u);
    EXPECT_EQ(stored[1].content, "bbbbbbbbbb");
}

TEST_P(Upload, CommandFollowsNameAndAppendFlag) {
    FakeFtpServer server;
    Connect(server);
    MemoryStream a("x"), b("y"), c("z");
    ftp.UploadStream(a, "name with space");
    ftp.UploadStream(b, "log.txt", true);
    ftp.UploadStream(c, "");
    const auto stored = server.stored();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].verb + " " + stored[0].argument, "STOR name with space");
    EXPECT_EQ(stored[1].verb + " " + stored[1].argument, "APPE log.txt");
    EXPECT_EQ(stored[2].verb, "STOU");
    EXPECT_EQ(stored[2].argument, "");
}

TEST_P(Upload, RefusedStoreRaisesAndReleasesTheChannel) {
    FakeFtpServer server;
    server.setReply("STOR", "553 Could not create file.");
    Connect(server);
    MemoryStream stream("data");
    try {
        ftp.UploadStream(stream, "bad");
        ADD_FAILURE() << "refused store passed";
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 553);
    }
    EXPECT_EQ(ftp.DataChannel(), nullptr);
    EXPECT_EQ(recorder.Count("begin"), 0);
    EXPECT_TRUE(ftp.IsOpen());
    // The control connection is still in step.
    EXPECT_NO_THROW(ftp.SendCommand("NOOP", 200));
}

TEST_P(Upload, AbortedByTheServerIsAFailureEvenWithAFollowUp) {
    FakeFtpServer::Options options;
    options.storeFinalReplies = {"426 Connection closed; transfer aborted.", "226 Closing data connection."};
    FakeFtpServer server(options);
    Connect(server);
    MemoryStream stream(std::string(5000, 'q'));
    try {
        ftp.UploadStream(stream, "f");
        ADD_FAILURE() << "aborted transfer counted as stored";
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 426);
        EXPECT_EQ(error.Message(), "Connection closed; transfer aborted.\r\n");
    }
    EXPECT_EQ(recorder.Count("end"), 1);
    // The follow-up 226 was taken, so the next reply read belongs to the next command.
    EXPECT_EQ(ftp.SendCommand("NOOP", 200), 200);
}

// The window's handlers run inside the upload; an abort from there must end it as a failure, never as stored.
TEST_P(Upload, AbortFromTheWorkHandlerFailsTheUpload) {
    FakeFtpServer server;
    Connect(server);
    bool aborted = false;
    ftp.OnWork = [&](TIdComponent*, TWorkMode, int64_t) {
        if (!aborted) {
            aborted = true;
            ftp.AbortTransfer();
        }
    };
    ftptest::SyntheticStream stream(10 << 20);
    EXPECT_THROW(ftp.UploadStream(stream, "f"), EIdException);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(ftp.DataChannel(), nullptr);
    EXPECT_EQ(recorder.Count("end"), 1);
    ASSERT_TRUE(server.waitForCommands(7 + ftptest::FeatureQuestions(), 5s));
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands())[6], "ABOR");
}

// A bare 426 or 450 is the final word: the client does not sit out a whole reply bound for a second reply that
// most servers never send.
TEST(UploadAbort, BareAbortEndsTheUploadWithinTheShortFollowUpBound) {
    for (const char* abort : {"426 Connection closed; transfer aborted.", "450 Requested file action not taken."}) {
        SCOPED_TRACE(abort);
        FakeFtpServer::Options options;
        options.storeFinalReplies = {abort};
        FakeFtpServer server(options);
        TIdFTP ftp;
        ftptest::PointAt(ftp, server, options.user, options.password);
        ftp.Passive = true;
        ftp.ConnectAndLogIn(true, -1);
        MemoryStream stream("abc");
        const auto start = std::chrono::steady_clock::now();
        try {
            ftp.UploadStream(stream, "f");
            ADD_FAILURE();
        } catch (const EIdProtocolReplyError& error) {
            EXPECT_EQ(error.ReplyCode(), std::stoi(abort));
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(ftp.ReadTimeout, 0); // the bound applied to that one wait only
    }
}

TEST(UploadActive, ServerThatNeverConnectsEndsWithinTheBound) {
    FakeFtpServer server;
    server.setReply("STOR", "150 Opening data connection."); // but it never does
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    WorkRecorder recorder;
    recorder.Attach(ftp);
    ftp.DataConnectTimeLimit = 300;
    ftp.ConnectAndLogIn(true, -1);
    MemoryStream empty(""); // nothing to write, so only the bound can tell the failure
    try {
        ftp.UploadStream(empty, "f");
        ADD_FAILURE() << "upload without a data connection passed";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode(), 10060);
    }
    EXPECT_EQ(ftp.DataChannel(), nullptr);
    EXPECT_EQ(recorder.Count("begin"), 0);
}

TEST(UploadPassive, DataGoesToTheControlPeerWhatever227Names) {
    FakeFtpServer::Options options;
    options.passiveAdvertisedIp = "127.0.0.2"; // "another host", with a decoy listening on the named port
    FakeFtpServer server(options);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, options.user, options.password);
    ftp.Passive = true;
    ftp.ConnectAndLogIn(true, -1);
    MemoryStream stream("secret file");
    ftp.UploadStream(stream, "f");
    EXPECT_EQ(server.decoyReceivedBytes(), 0u);
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].content, "secret file");
}

TEST(UploadPassive, UnusablePortIn227IsRefusedBeforeAnyConnect) {
    FakeFtpServer server;
    server.setReply("PASV", "227 Entering Passive Mode (127,0,0,1,256,0).");
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = true;
    ftp.ConnectAndLogIn(true, -1);
    MemoryStream stream("x");
    try {
        ftp.UploadStream(stream, "f");
        ADD_FAILURE();
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 227);
    }
    EXPECT_EQ(server.commands().back(), "PASV"); // no STOR went out
}

TEST(UploadActive, AForeignPeerIsTurnedAwayAndTheServerAccepted) {
    FakeFtpServer::Options options;
    options.activeIntruderIp = "127.0.0.2";
    FakeFtpServer server(options);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, options.user, options.password);
    ftp.ConnectAndLogIn(true, -1);
    MemoryStream stream(ftptest::PatternBytes(50000));
    ftp.UploadStream(stream, "f");
    EXPECT_TRUE(server.intruderWasRefused());
    EXPECT_EQ(server.intruderReceivedBytes(), 0u);
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].size, 50000u);
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands())[4].substr(0, 15), "PORT 127,0,0,1,");
}

TEST(UploadStream, EndingBeforeItsSizeRaisesAndClosesTheSpan) {
    FakeFtpServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = true;
    WorkRecorder recorder;
    recorder.Attach(ftp);
    ftp.ConnectAndLogIn(true, -1);
    ftptest::SyntheticStream shortStream(100000, 10);
    try {
        ftp.UploadStream(shortStream, "f");
        ADD_FAILURE();
    } catch (const EIdNoDataToRead& error) {
        EXPECT_STREQ(error.what(), "No data to read.");
    }
    EXPECT_EQ(recorder.Count("end"), 1);
    EXPECT_EQ(ftp.DataChannel(), nullptr);
}

// Past 2 GiB every count must stay exact: a 32-bit count would cut the file short and still report success.
TEST(UploadStream, TwoGibibytesAndOneByteArriveWhole) {
    FakeFtpServer::Options options;
    options.keepStoredBytes = false;
    options.ioBound = 30s;
    FakeFtpServer server(options);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, options.user, options.password);
    ftp.Passive = true;
    int64_t begin = -1, lastWork = -1;
    ftp.OnWorkBegin = [&](TIdComponent*, TWorkMode, int64_t max) { begin = max; };
    ftp.OnWork = [&](TIdComponent*, TWorkMode, int64_t count) { lastWork = count; };
    ftp.ConnectAndLogIn(true, -1);
    const int64_t size = (int64_t{1} << 31) + 1;
    ftptest::SyntheticStream stream(size);
    ftp.UploadStream(stream, "big");
    EXPECT_EQ(begin, size);
    EXPECT_EQ(lastWork, size);
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].size, static_cast<std::uint64_t>(size));
}

class UploadFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("ferrylo-upload-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
    std::filesystem::path folder;
};

TEST_F(UploadFileTest, MissingFileRaisesBeforeAnythingIsSent) {
    FakeFtpServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.ConnectAndLogIn(true, -1);
    const std::string path = (folder / "absent.bin").string();
    try {
        ftp.UploadFile(path, "absent.bin");
        ADD_FAILURE();
    } catch (const EFOpenError& error) {
        const std::string message = error.what(), prefix = "Cannot open file \"" + path + "\". ";
        EXPECT_EQ(message.substr(0, prefix.size()), prefix);
#ifdef _WIN32 // the system's own text, in its language
        EXPECT_GT(message.size(), prefix.size());
#else
        EXPECT_EQ(message.substr(prefix.size()), "No such file or directory");
#endif
    }
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands()).size(), 4u);
    EXPECT_THROW(ftp.UploadFile(folder.string(), "folder"), EFOpenError); // a folder is no file
#ifndef _WIN32                                                            // Windows has no FIFO in its folders
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ftp.UploadFile(fifo, "fifo"), EFOpenError); // nor a FIFO, and opening it does not wait
#endif
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands()).size(), 4u);
}

TEST_F(UploadFileTest, FileArrivesAndIsClosedOnEveryPath) {
    FakeFtpServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = true;
    ftp.ConnectAndLogIn(true, -1);
    const std::string bytes = ftptest::PatternBytes(100000);
    const std::string path = Write("f.bin", bytes);
    ftp.UploadFile(path, "f.bin");
    EXPECT_EQ(TFileStream::OpenCount(), 0);
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_TRUE(server.stored()[0].content == bytes);

    server.setReply("STOR", "553 No.");
    EXPECT_THROW(ftp.UploadFile(path, "f.bin"), EIdProtocolReplyError);
    EXPECT_EQ(TFileStream::OpenCount(), 0);
}

// A failing local read at every point of one upload, in both modes: each ends cleanly and the next upload on the
// same connection still works.
TEST_F(UploadFileTest, ReadFailureAtEveryPointEndsCleanly) {
    const std::string path = Write("f.bin", ftptest::PatternBytes(100000));
    for (bool passive : {true, false}) {
        FakeFtpServer server;
        TIdFTP ftp;
        ftptest::PointAt(ftp, server, server.options().user, server.options().password);
        ftp.Passive = passive;
        WorkRecorder recorder;
        recorder.Attach(ftp);
        ftp.ConnectAndLogIn(true, -1);
        for (int n = 1; n <= 4; ++n) {
            SCOPED_TRACE((passive ? "passive, read " : "active, read ") + std::to_string(n));
            recorder.events.clear();
            ftp::faults::FailNthFileRead(n, EIO);
            EXPECT_THROW(ftp.UploadFile(path, "f.bin"), EReadError);
            ftp::faults::ResetFileFaults();
            EXPECT_EQ(TFileStream::OpenCount(), 0);
            EXPECT_EQ(ftp.DataChannel(), nullptr);
            EXPECT_EQ(recorder.Count("begin"), 1);
            EXPECT_EQ(recorder.Count("end"), 1);
            // The store was cut short; the server's reply to it is still unread. Reconnect as the job would.
            ftp.AbortTransfer();
            ftp.LeaveServer();
            ftp.ConnectAndLogIn(true, -1);
        }
        ftp.UploadFile(path, "f.bin");
        EXPECT_EQ(server.stored().back().size, 100000u);
    }
}

} // namespace

// A socket call failing at every point of one upload (control and data alike), in both modes: every failure
// reaches the caller, closes the work span it opened, releases the data channel and the file; once n is past
// the last call the same upload goes through whole.
TEST_F(UploadFileTest, SocketFailureAtEveryPointEndsCleanly) {
    const std::string bytes = ftptest::PatternBytes(100000);
    const std::string path = Write("f.bin", bytes);
    using ftp::faults::SocketCall;
    for (bool passive : {true, false}) {
        for (SocketCall call : {SocketCall::Send, SocketCall::Receive, SocketCall::Connect}) {
            FakeFtpServer server;
            TIdFTP ftp;
            ftptest::PointAt(ftp, server, server.options().user, server.options().password);
            ftp.Passive = passive;
            WorkRecorder recorder;
            recorder.Attach(ftp);
            ftp::faults::ScopedFaults faults;
            bool succeeded = false;
            for (int n = 1; n <= 60 && !succeeded; ++n) {
                SCOPED_TRACE(std::string(passive ? "passive" : "active") + ", call kind " +
                             std::to_string(static_cast<int>(call)) + ", n=" + std::to_string(n));
                ftp.ConnectAndLogIn(true, -1);
                recorder.events.clear();
                ftp::faults::FailNthCall(call, n, 10054);
                try {
                    ftp.UploadFile(path, "f.bin");
                    succeeded = true;
                } catch (const std::exception&) {
                }
                ftp::faults::Reset();
                EXPECT_EQ(TFileStream::OpenCount(), 0);
                EXPECT_EQ(ftp.DataChannel(), nullptr);
                EXPECT_EQ(recorder.Count("begin"), recorder.Count("end"));
                if (succeeded) {
                    ASSERT_FALSE(server.stored().empty());
                    EXPECT_TRUE(server.stored().back().content == bytes);
                }
                ftp.CloseConnection();
                ASSERT_TRUE(server.waitForSessionEnd(5s));
            }
            EXPECT_TRUE(succeeded);
        }
    }
}
