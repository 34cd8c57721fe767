// Control commands of the FTP client against the scripted server: the log-in exchange and its failures, folders,
// abort and quit, the transfer-type setter, and argument bytes going out unchanged.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/FakeFtpServer.h"

#include <gtest/gtest.h>

using ferrylo::testing::FakeFtpServer;
using namespace std::chrono_literals;

namespace {

void PointAt(TIdFTP& ftp, const FakeFtpServer& server) {
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
}

TEST(FtpLogIn, PasswordOnlyAfter331ThenTypeAndSyst) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(true, -1);
    EXPECT_TRUE(ftp.IsOpen());
    EXPECT_EQ(ftp.WelcomeReply.NumericCode, 220);
    EXPECT_EQ(ftp.LoginReply.NumericCode, 230);
    EXPECT_EQ(ftp.SystemDescription, "UNIX Type: L8");
    ASSERT_TRUE(server.waitForCommands(4 + ftptest::FeatureQuestions(), 5s));
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands()),
              (std::vector<std::string>{"USER tester", "PASS secret", "TYPE I", "SYST"}));

    FakeFtpServer::Options noPassword;
    noPassword.userNeedsPassword = false;
    FakeFtpServer open(noPassword);
    TIdFTP second;
    PointAt(second, open);
    second.ConnectAndLogIn(true, -1);
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(open.commands()),
              (std::vector<std::string>{"USER tester", "TYPE I", "SYST"}));
}

TEST(FtpLogIn, WithoutAutoLoginOnlyTheWelcomeIsRead) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(false, -1);
    EXPECT_TRUE(ftp.IsOpen());
    EXPECT_EQ(ftp.WelcomeReply.Text, std::vector<std::string>{"Fake FTP server ready."});
    EXPECT_TRUE(server.commands().empty());
}

TEST(FtpLogIn, Syst500StillLogsIn) {
    FakeFtpServer server;
    server.setReply("SYST", "500 SYST not understood.");
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(true, -1);
    EXPECT_TRUE(ftp.IsOpen());
    EXPECT_EQ(ftp.SystemDescription, "Unknown");
}

// Every failing step of the opening closes the connection and raises the server's own code.
TEST(FtpLogIn, FailuresCloseTheConnectionAndKeepTheCode) {
    struct Case {
        const char* verb; // "" for the greeting
        const char* reply;
        int code;
    } cases[] = {
        {"", "120 Service ready in 5 minutes.", 120},  {"USER", "332 Need account for login.", 332},
        {"PASS", "530 Login incorrect.", 530},         {"TYPE", "504 Type not supported.", 504},
        {"SYST", "502 Command not implemented.", 502},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        FakeFtpServer::Options options;
        if (!*c.verb)
            options.greeting = c.reply;
        FakeFtpServer server(options);
        if (*c.verb)
            server.setReply(c.verb, c.reply);
        TIdFTP ftp;
        PointAt(ftp, server);
        try {
            ftp.ConnectAndLogIn(true, -1);
            ADD_FAILURE() << "no error";
        } catch (const EIdProtocolReplyError& error) {
            EXPECT_EQ(error.ReplyCode(), c.code);
            EXPECT_EQ(error.Message(), std::string(c.reply).substr(4) + "\r\n");
        }
        EXPECT_FALSE(ftp.IsOpen());
        EXPECT_TRUE(server.waitForSessionEnd(5s)); // the server saw the close, not just our flag
    }
}

TEST(FtpLogIn, RefusedPortRaisesTheSocketErrorAndStaysClosed) {
    std::uint16_t port;
    {
        FakeFtpServer gone;
        port = gone.port();
    }
    TIdFTP ftp;
    ftp.SetHost("127.0.0.1");
    ftp.SetPort(port);
    try {
        ftp.ConnectAndLogIn(true, -1);
        ADD_FAILURE() << "connected to a closed port";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode(), 10061);
    }
    EXPECT_FALSE(ftp.IsOpen());
}

TEST(FtpFolders, MakeExistingRaisesAndChangeIntoItWorks) {
    FakeFtpServer server;
    server.addFolder("/up");
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(true, -1);
    EXPECT_THROW(ftp.MakeRemoteDir("up"), EIdProtocolReplyError);
    EXPECT_FALSE(ftp.TryMakeRemoteDir("up")); // the same refusal, answered
    EXPECT_TRUE(ftp.TryMakeRemoteDir("other"));
    EXPECT_NO_THROW(ftp.ChangeRemoteDir("up"));
    EXPECT_NO_THROW(ftp.MakeRemoteDir("new"));
    EXPECT_NO_THROW(ftp.ChangeRemoteDir("/up/new"));
    try {
        ftp.ChangeRemoteDir("missing");
        ADD_FAILURE();
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.ReplyCode(), 550);
    }
    EXPECT_TRUE(ftp.IsOpen()); // a refused command leaves the connection usable
    EXPECT_NO_THROW(ftp.ChangeRemoteDir("/"));
}

TEST(FtpFolders, ArgumentsGoOutByteForByte) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(true, -1);
    const std::string cyrillic = "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0"; // UTF-8, as the locale gives it
    ftp.MakeRemoteDir("two  spaces ");
    ftp.MakeRemoteDir(cyrillic);
    ftp.ChangeRemoteDir(cyrillic);
    EXPECT_THROW(ftp.ChangeRemoteDir(""), EIdProtocolReplyError); // "CWD " is refused with 501
    const auto commands = ftptest::WithoutFeatureQuestion(server.commands());
    ASSERT_GE(commands.size(), 8u);
    EXPECT_EQ(commands[4], "MKD two  spaces ");
    EXPECT_EQ(commands[5], "MKD " + cyrillic);
    EXPECT_EQ(commands[6], "CWD " + cyrillic);
    EXPECT_EQ(commands[7], "CWD ");
}

TEST(FtpNames, Utf8TextGoesOutAsItIsWhetherOrNotTheServerListsUtf8) {
    // The 8-bit text is UTF-8 here already: neither FEAT nor OPTS is sent for it, and names keep their bytes.
    if (EightBitTextNeedsUtf8Wire())
        GTEST_SKIP()
            << "the 8-bit text is not UTF-8 here: windows_wire_test.cpp covers FEAT, OPTS UTF8 ON and the names";
    const std::string cyrillic = "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0";
    for (const char* features : {"", "211-Features:\r\n UTF8\r\n211 End"}) {
        FakeFtpServer server;
        if (*features != '\0')
            server.setReply("FEAT", features);
        TIdFTP ftp;
        PointAt(ftp, server);
        ftp.ConnectAndLogIn(true, -1);
        ftp.MakeRemoteDir(cyrillic);
        ftp.ChangeRemoteDir(cyrillic);
        ftp.RemoteSize(cyrillic);
        ASSERT_TRUE(server.waitForCommands(7, 5s));
        EXPECT_EQ(server.commands(),
                  (std::vector<std::string>{"USER tester", "PASS secret", "TYPE I", "SYST", "MKD " + cyrillic,
                                            "CWD " + cyrillic, "SIZE " + cyrillic}))
            << features;
    }
}

TEST(FtpClosing, AbortThenQuitReadNoReplyAndClose) {
    FakeFtpServer server;
    server.stallOn("ABOR"); // a reply read in between would hang here, not pass
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.ConnectAndLogIn(true, -1);
    ftp.AbortTransfer();
    ftp.LeaveServer();
    EXPECT_FALSE(ftp.IsOpen());
    ASSERT_TRUE(server.waitForCommands(5 + ftptest::FeatureQuestions(), 5s));
    const auto commands = ftptest::WithoutFeatureQuestion(server.commands());
    EXPECT_EQ(commands[4], "ABOR");

    FakeFtpServer quiet;
    TIdFTP both;
    PointAt(both, quiet);
    both.ConnectAndLogIn(true, -1);
    both.AbortTransfer();
    both.LeaveServer();
    ASSERT_TRUE(quiet.waitForSessionEnd(5s));
    const auto sent = ftptest::WithoutFeatureQuestion(quiet.commands());
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[4], "ABOR");
    EXPECT_EQ(sent[5], "QUIT");
}

TEST(FtpClosing, OnAClosedConnectionNothingIsSent) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    EXPECT_NO_THROW(ftp.LeaveServer());
    EXPECT_NO_THROW(ftp.AbortTransfer());
    ftp.ConnectAndLogIn(true, -1);
    ftp.LeaveServer();
    EXPECT_NO_THROW(ftp.LeaveServer());
    ASSERT_TRUE(server.waitForSessionEnd(5s));
    EXPECT_EQ(server.commands().back(), "QUIT");
    EXPECT_EQ(ftptest::WithoutFeatureQuestion(server.commands()).size(), 5u);
    EXPECT_EQ(server.sessionCount(), 1u);
}

TEST(FtpTransferType, AnnouncedWhenChangedOnAnOpenConnectionOnly) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    ftp.SetTransferType(ftASCII); // closed: stored, not sent
    ftp.ConnectAndLogIn(true, -1);
    ftp.SetTransferType(ftASCII); // unchanged: nothing
    ftp.SetTransferType(ftBinary);
    const auto commands = ftptest::WithoutFeatureQuestion(server.commands());
    EXPECT_EQ(commands, (std::vector<std::string>{"USER tester", "PASS secret", "TYPE A", "SYST", "TYPE I"}));
}

TEST(FtpLogIn, ReconnectsAfterLeaving) {
    FakeFtpServer server;
    TIdFTP ftp;
    PointAt(ftp, server);
    for (int round = 0; round < 3; ++round) {
        ftp.ConnectAndLogIn(true, -1);
        ftp.LeaveServer();
    }
    ASSERT_TRUE(server.waitForCommands(15, 5s));
    EXPECT_EQ(server.sessionCount(), 3u);
}

} // namespace
