// The client against servers that misbehave: silent, dripping, stalling, lying about a transfer, flooding, or
// gone between two operations. Each wait ends within its bound, with the loop hook turning meanwhile; nothing a
// server sends grows the client without limit; nothing the caller passes splits a command line.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/WaitSlices.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/ProcessFacts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

using ferrylo::testing::FakeFtpServer;
using ftptest::MemoryStream;
using namespace std::chrono_literals;

namespace {

constexpr int kShortBound = 300; // ms

// Counts the turns of the hook, as the window's message loop would take them.
class HookCounter {
public:
    HookCounter() {
        ftp::SetWaitSliceHook([this] { ++turns; });
    }
    ~HookCounter() { ftp::SetWaitSliceHook({}); }
    int turns = 0;
};

void ConnectTo(TIdFTP& ftp, const FakeFtpServer& server) {
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = true;
    ftp.ConnectAndLogIn(true, -1);
}

TEST(SilentServer, EveryWaitEndsWithinItsBoundAndTheLoopTurns) {
    struct Case {
        const char* name;
        std::function<void(FakeFtpServer::Options&)> bend;
        std::function<void(FakeFtpServer&)> script;
        bool loggedInFirst; // the wait comes after a successful log-in, in an upload
        bool controlClosed; // the control connection timed out (not the data connection)
    };
    const Case cases[] = {
        {"no greeting", [](auto& o) { o.greeting.clear(); }, [](auto&) {}, false, true},
        {"a greeting that drips", [](auto& o) { o.replyDrip = 40ms; }, [](auto&) {}, false, true},
        {"USER never answered", [](auto&) {}, [](auto& s) { s.stallOn("USER"); }, false, true},
        {"no final reply after STOR", [](auto& o) { o.storeFinalReplies.clear(); }, [](auto&) {}, true, true},
        {"the data connection no longer read", [](auto& o) { o.dataNeverRead = true; }, [](auto&) {}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFtpServer::Options options;
        c.bend(options);
        FakeFtpServer server(options);
        c.script(server);
        TIdFTP ftp;
        ftp.ReplyTimeLimit = kShortBound;
        ftp.SendStallTimeLimit = kShortBound;
        HookCounter hook;
        const auto start = std::chrono::steady_clock::now();
        try {
            if (c.loggedInFirst) {
                ConnectTo(ftp, server);
                MemoryStream stream(std::string(16 << 20, 'x')); // more than the socket buffers hold
                ftp.UploadStream(stream, "/f");
            } else {
                ConnectTo(ftp, server);
            }
            ADD_FAILURE() << "the wait ended without a failure";
        } catch (const EIdSocketError& error) {
            EXPECT_EQ(error.SocketErrorCode(), 10060);
            EXPECT_STREQ(error.what(), "Socket Error # 10060\r\nConnection timed out.");
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_GT(hook.turns, 2);
        if (c.controlClosed) {
            EXPECT_FALSE(ftp.IsOpen());
        }
        EXPECT_EQ(ftp.DataChannel(), nullptr);
    }
}

TEST(SlowLine, AChainOfQuickRepliesTurnsTheLoopOnceAFrame) {
    // Forty replies 8 ms apart, as a folder walk over a slow line gets them: every wait ends within its first
    // slice, yet the loop must turn between them as it does during one long wait (about 20 times here).
    HookCounter hook;
    for (int reply = 0; reply < 40; ++reply) {
        const auto due = std::chrono::steady_clock::now() + 8ms;
        ftp::WaitInSlices(1000, [&](int sliceMs) {
            std::this_thread::sleep_until(std::min(due, std::chrono::steady_clock::now() + 1ms * sliceMs));
            return std::chrono::steady_clock::now() >= due;
        });
    }
    EXPECT_GE(hook.turns, 40 * 8 / ftp::kHookFrameMs / 2);
}

TEST(LyingServer, EndOfTransferAnnouncedBeforeTheDataIsAFailure) {
    // 150 and 226 in one breath: the reply was there before a byte was sent, so the server read nothing.
    FakeFtpServer server;
    server.setReply("STOR", "150 Opening data connection.\r\n226 Transfer complete.");
    TIdFTP ftp;
    ConnectTo(ftp, server);
    MemoryStream stream("file content");
    try {
        ftp.UploadStream(stream, "/f");
        ADD_FAILURE() << "an unread file counted as stored";
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 226);
    }
    EXPECT_EQ(ftp.DataChannel(), nullptr);
    ftp.ChangeRemoteDir("/"); // still in step with the server
}

TEST(FloodingServer, EndlessRepliesAreCutOffWithBoundedMemory) {
    struct Case {
        const char *name, *first, *repeated;
    };
    const Case cases[] = {
        {"an endless multi-line reply", "331-Password, and then some:", "more and more text of the same reply"},
        {"endless empty lines", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFtpServer server;
        server.floodOn("USER", c.first, c.repeated);
        TIdFTP ftp; // the default bounds: the size bound must end it, long before the time bound
        const long peakBefore = ferrylo::testing::peakResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(ConnectTo(ftp, server), EIdReplyTooLarge);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_LT(ferrylo::testing::peakResidentKiB() - peakBefore, 16 * 1024);
        EXPECT_FALSE(ftp.IsOpen());
    }
}

TEST(HostileArguments, LineBreaksAndNulNeverReachTheServer) {
    FakeFtpServer server;
    TIdFTP ftp;
    ConnectTo(ftp, server);
    const std::size_t commandsBefore = server.commands().size();
    const std::string names[] = {"x\r\nDELE victim.txt", "x\nDELE victim.txt", "x\rDELE", std::string("x\0y", 3)};
    for (const std::string& name : names) {
        EXPECT_THROW(ftp.ChangeRemoteDir(name), EIdUnsafeCommand);
        EXPECT_THROW(ftp.MakeRemoteDir(name), EIdUnsafeCommand);
        MemoryStream stream("victim");
        EXPECT_THROW(ftp.UploadStream(stream, "/" + name), EIdUnsafeCommand);
    }
    ftp.ChangeRemoteDir("/"); // answered: the connection is in step and nothing else went out
    EXPECT_EQ(server.commands().size(), commandsBefore + 1);
    EXPECT_TRUE(server.stored().empty());
}

TEST(HostileReplies, NulInAReplyDoesNotCutTheMessage) {
    FakeFtpServer server;
    server.setReply("CWD", std::string("550 no\0such folder", 18));
    TIdFTP ftp;
    ConnectTo(ftp, server);
    try {
        ftp.ChangeRemoteDir("/x");
        ADD_FAILURE();
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_STREQ(error.what(), "no?such folder\r\n");
    }
}

TEST(GoneServer, ClosedOrClosingBetweenOperationsIsNotOpen) {
    struct Case {
        const char* name;
        std::size_t closeAfterStores;
        std::vector<std::string> finalReplies;
        bool stillOpen;
    };
    const Case cases[] = {
        {"a server that stays", 0, {"226 Transfer complete."}, true},
        {"a server that closed", 1, {"226 Transfer complete."}, false},
        {"a server that announced its close", 0, {"226 Transfer complete.", "421 Idle time-out."}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFtpServer::Options options;
        options.closeAfterStores = c.closeAfterStores;
        options.storeFinalReplies = c.finalReplies;
        FakeFtpServer server(options);
        TIdFTP ftp;
        ConnectTo(ftp, server);
        MemoryStream stream("one");
        ftp.UploadStream(stream, "/one");
        if (c.closeAfterStores)
            ASSERT_TRUE(server.waitForSessionEnd(5s));
        else
            std::this_thread::sleep_for(100ms); // the notice arrives
        EXPECT_EQ(ftp.IsOpen(), c.stillOpen);
        ftp.LeaveServer();
        EXPECT_EQ(ftp.IOHandler(), nullptr); // the channel is released either way
        ConnectTo(ftp, server);              // and the same client connects again
        EXPECT_TRUE(ftp.IsOpen());
    }
}

TEST(Addresses, LeadingZerosConnectToTheAddressTheyMean) {
    FakeFtpServer server;
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.SetHost("127.000.000.001");
    ftp.ConnectAndLogIn(true, -1);
    EXPECT_TRUE(ftp.IsOpen());
}

} // namespace
