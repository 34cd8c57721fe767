// A client connection against a loopback peer: commands and replies, the connection's states, and socket failures.
#include "socket_peer.h"

#include "ftp/IdExceptions.h"
#include "ftp/SocketApi.h"
#include "ftp/SocketErrorMap.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdIOHandlerSocket.h"
#include "ftp/TIdTCPClient.h"

#include <gtest/gtest.h>

namespace {

using ftp::faults::FailNthCall;
using ftp::faults::ScopedFaults;
using ftp::faults::SocketCall;

struct Connected {
    LoopbackPeer server;
    TIdTCPClient client;
    int disconnects = 0;
    int connects = 0;

    Connected() {
        client.SetHost("127.0.0.1");
        client.SetPort(server.port);
        client.OnDisconnected = [this](TIdTCPConnection*) { ++disconnects; };
        client.OnConnected = [this](TIdTCPConnection*) { ++connects; };
        client.OpenConnection();
        if (!server.Accept())
            ADD_FAILURE() << "the server saw no connection";
    }
    int ClientPort() const { return static_cast<TIdIOHandlerSocket*>(client.IOHandler())->Binding()->Port; }
};

TEST(ConnectionCommands, AnyCodeOrAListOfCodes) {
    Connected c;
    EXPECT_EQ(c.connects, 1);
    ASSERT_TRUE(c.server.Send("220 Service ready\r\n"));
    EXPECT_EQ(c.client.ReadExpectedReply({220}), 220);

    // Replies already pending stay: the command does not discard input before it is sent.
    ASSERT_TRUE(c.server.Send("502 Not here\r\n"));
    EXPECT_EQ(c.client.SendCommand("NOOP", -1), 502);
    EXPECT_EQ(c.server.Receive(), "NOOP\r\n");

    ASSERT_TRUE(c.server.Send("550-No such\r\n550 folder\r\n"));
    try {
        c.client.SendCommand("CWD \xD0\x9F/x", {250, 200});
        ADD_FAILURE() << "a refused command passed";
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyCode(), 550);
        EXPECT_STREQ(e.what(), "No such\r\nfolder\r\n");
    }
    EXPECT_EQ(c.server.Receive(), "CWD \xD0\x9F/x\r\n"); // the argument's bytes unchanged
    EXPECT_EQ(c.client.LastReply.NumericCode, 550);
    EXPECT_TRUE(c.client.IsOpen()); // a refused code leaves the connection usable

    ASSERT_TRUE(c.server.Send("200 ok\r\n"));
    EXPECT_EQ(c.client.SendCommand("TYPE I", 200), 200);
    ASSERT_TRUE(c.server.Send("331 more\r\n"));
    EXPECT_THROW(c.client.SendCommand("USER a", 230), EIdProtocolReplyError);
}

TEST(ConnectionStates, AlreadyConnectedLeavesTheConnectionAlone) {
    Connected c;
    const int port = c.ClientPort();
    try {
        c.client.OpenConnection();
        ADD_FAILURE() << "opened twice";
    } catch (const EIdAlreadyConnected& e) {
        EXPECT_STREQ(e.what(), "Already connected.");
    }
    EXPECT_TRUE(c.client.IsOpen());
    EXPECT_EQ(c.ClientPort(), port);
    EXPECT_EQ(c.disconnects, 0);
    c.client.WriteLine("still here");
    EXPECT_EQ(c.server.Receive(), "still here\r\n");
}

TEST(ConnectionStates, AfterCloseNotConnectedThenReopens) {
    Connected c;
    ASSERT_TRUE(c.server.Send("220 a\r\n"));
    c.client.ReadExpectedReply({});
    c.client.CloseConnection();
    EXPECT_EQ(c.disconnects, 1);
    EXPECT_FALSE(c.client.IsOpen());
    EXPECT_EQ(c.client.IOHandler(), nullptr);
    EXPECT_EQ(c.server.Receive(), ""); // the server sees the close
    try {
        c.client.ReadLine();
        ADD_FAILURE() << "read from a closed connection";
    } catch (const EIdNotConnected& e) {
        EXPECT_STREQ(e.what(), "Not Connected");
    }
    EXPECT_THROW(c.client.WriteLine("x"), EIdNotConnected);
    EXPECT_NO_THROW(c.client.CloseConnection()); // closing twice is harmless

    // The same object connects again, with fresh input.
    c.client.OpenConnection();
    ASSERT_TRUE(c.server.Accept());
    ASSERT_TRUE(c.server.Send("220 again\r\n"));
    EXPECT_EQ(c.client.ReadExpectedReply({220}), 220);
    EXPECT_EQ(c.client.LastReply.Text, std::vector<std::string>{"again"});
}

TEST(ConnectionStates, PeerCloseIsNoticedByTheNextRead) {
    Connected c;
    ASSERT_TRUE(c.server.Send("221 Bye\r\n"));
    c.server.accepted.reset();
    EXPECT_EQ(c.client.ReadExpectedReply({221}), 221);
    EXPECT_THROW(c.client.ReadReply(), EIdConnClosedGracefully);
    EXPECT_EQ(c.disconnects, 1);
    EXPECT_FALSE(c.client.IsOpen());
    EXPECT_NE(c.client.IOHandler(), nullptr); // dropped, not closed: the channel stays for the next open
}

TEST(ConnectionStates, RefusedPortAndUnknownHostLeaveNoSocket) {
    ScopedFaults faults;
    // The only name resolver here is off this machine, so the lookup of a reserved name is answered locally
    // with the resolver's own "no such name" result.
    ftp::faults::ReplaceNameLookup([](const std::string& name, std::string&) {
        EXPECT_TRUE(name.ends_with(".invalid")) << name;
        return ftp::platform::LookupErrorToSocketError(kResolverNoSuchName, 0);
    });
    struct Case {
        std::string host;
        int port;
        int code;
        const char* message;
    } cases[] = {
        {"127.0.0.1", RefusingPort(), 10061, "Socket Error # 10061\r\nConnection refused."},
        {"ferrylo-test.invalid", 21, 11001, "Socket Error # 11001\r\nHost not found."},
    };
    for (const Case& c : cases) {
        TIdTCPClient client;
        client.SetHost(c.host);
        client.SetPort(c.port);
        const int descriptors = OpenDescriptorCount();
        try {
            client.OpenConnection();
            ADD_FAILURE() << "connected to " << c.host;
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.SocketErrorCode(), c.code);
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(client.IsOpen());
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << c.host;
    }
}

TEST(ConnectionFailures, SendFailuresDropTheSocketOnlyWhenItIsGone) {
    struct Case {
        int error;
        bool stillOpen;
    } cases[] = {{10054, false}, {10053, false}, {10058, false}, {10055, true}};
    for (const Case& k : cases) {
        ScopedFaults faults;
        Connected c;
        FailNthCall(SocketCall::Send, 2, k.error);
        c.client.WriteLine("first");
        try {
            c.client.WriteLine("second");
            ADD_FAILURE() << "a failed send passed";
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.SocketErrorCode(), k.error);
        }
        EXPECT_EQ(c.client.IsOpen(), k.stillOpen) << k.error;
        EXPECT_EQ(c.server.Receive(), "first\r\n");
    }
}

TEST(ConnectionFailures, WritingToAClosedPeerFailsWithoutKillingTheProcess) {
    Connected c;
    c.server.accepted.reset();
    const std::string block(65536, 'b');
    int code = 0;
    for (int i = 0; i < 200 && code == 0; ++i) {
        try {
            c.client.WriteBytes(block.data(), static_cast<int64_t>(block.size()));
        } catch (const EIdSocketError& e) {
            code = e.SocketErrorCode();
        } catch (const EIdConnClosedGracefully&) {
            code = -1; // the drop was seen by a check before the next send
        }
    }
    EXPECT_TRUE(code == 10058 || code == 10054) << code;
    EXPECT_FALSE(c.client.IsOpen());
}

TEST(ConnectionFailures, ReceiveFailureOnARealSocket) {
    ScopedFaults faults;
    Connected c;
    FailNthCall(SocketCall::Receive, 1, 10053);
    ASSERT_TRUE(c.server.Send("220 lost\r\n"));
    EXPECT_THROW(c.client.ReadLine(), EIdSocketError);
    EXPECT_FALSE(c.client.IsOpen());
}

TEST(ConnectionFailures, ConnectFailureReleasesTheSocket) {
    ScopedFaults faults;
    LoopbackPeer server;
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.port);
    FailNthCall(SocketCall::Connect, 1, 10060);
    const int descriptors = OpenDescriptorCount();
    try {
        client.OpenConnection();
        ADD_FAILURE() << "connected through a failing connect";
    } catch (const EIdSocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 10060\r\nConnection timed out.");
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    client.OpenConnection(); // the fault was for one call only
    EXPECT_TRUE(client.IsOpen());
}

// A bind that finds its address in use (10048) fails only a connection that asked for a local address or port.
TEST(ConnectionFailures, OnlyAnAskedForLocalAddressIsBound) {
    for (const std::string boundIP : {"", "127.0.0.1"}) {
        ScopedFaults faults;
        LoopbackPeer server;
        TIdTCPClient client;
        client.SetHost("127.0.0.1");
        client.SetPort(server.port);
        client.BoundIP = boundIP;
        FailNthCall(SocketCall::Bind, 1, 10048);
        if (boundIP.empty()) {
            client.OpenConnection();
            EXPECT_TRUE(client.IsOpen());
        } else {
            EXPECT_THROW(client.OpenConnection(), EIdCouldNotBindSocket);
        }
    }
}

} // namespace
