// The socket service, socket handles and the socket channel on loopback.
#include "socket_peer.h"

#include "ftp/IdExceptions.h"
#include "ftp/SocketApi.h"
#include "ftp/SocketErrorMap.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdIOHandlerSocket.h"
#include "ftp/TIdSocketHandle.h"
#include "ftp/TIdStack.h"
#include "ftp/TIdTCPClient.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#ifndef _WIN32
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#endif

namespace {

using ftp::faults::ScopedFaults;

int LocalPortOf(ferrylo::testing::SocketFd fd) {
    return ferrylo::testing::localPortOf(fd);
}

TEST(SocketStack, LivesWhileAnyComponentLives) {
    ASSERT_EQ(SharedStackUsers(), 0);
    EXPECT_THROW(SharedStack(), std::logic_error);
    {
        TIdTCPClient first;
        EXPECT_EQ(SharedStackUsers(), 1);
        TIdStack* stack = &SharedStack();
        {
            TIdTCPClient second;
            TIdIOHandlerSocket channel;
            EXPECT_EQ(SharedStackUsers(), 3);
            EXPECT_EQ(&SharedStack(), stack); // one service for all of them
        }
        EXPECT_EQ(SharedStackUsers(), 1);
        EXPECT_EQ(&SharedStack(), stack);
    }
    EXPECT_EQ(SharedStackUsers(), 0);
    EXPECT_THROW(SharedStack(), std::logic_error);
}

TEST(SocketStack, NumericAddresses) {
    struct Case {
        const char* text;
        bool numeric;
    } cases[] = {
        {"10.0.0.1", true},     {"0.0.0.0", true},   {"255.255.255.255", true},
        {"127.000.0.01", true}, {"10.0.0", false},   {"10.0.0.1.5", false},
        {"256.1.1.1", false},   {"1..2.3", false},   {"1.2.3.", false},
        {"a.b.c.d", false},     {"", false},         {"1.2.3.-1", false},
        {"localhost", false},   {"1.2.3.4 ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TIdStack::IsNumericAddress(c.text), c.numeric) << c.text;
}

TEST(SocketStack, ResolveLooksUpOnlyNames) {
    ScopedFaults faults;
    std::vector<std::string> lookedUp;
    ftp::faults::ReplaceNameLookup([&](const std::string& name, std::string&) {
        lookedUp.push_back(name);
        return ftp::platform::LookupErrorToSocketError(kResolverNoSuchName, 0);
    });
    TIdTCPClient keepsStack;
    TIdStack& stack = SharedStack();
    EXPECT_EQ(stack.ResolveAddress("LocalHost"), "127.0.0.1");
    EXPECT_EQ(stack.ResolveAddress("LOCALHOST"), "127.0.0.1");
    EXPECT_EQ(stack.ResolveAddress("127.0.0.5"), "127.0.0.5");
    EXPECT_EQ(stack.ResolveAddress("127.000.000.001"), "127.0.0.1"); // leading zeros are decimal, not refused
    EXPECT_TRUE(lookedUp.empty());
    try {
        stack.ResolveAddress("256.1.1.1");
        ADD_FAILURE() << "resolved without a lookup";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.SocketErrorCode(), 11001);
        EXPECT_STREQ(e.what(), "Socket Error # 11001\r\nHost not found.");
    }
    EXPECT_EQ(lookedUp, std::vector<std::string>{"256.1.1.1"});
}

// Windows' own lookup answers an empty name with this machine's addresses: an empty server field reached it.
TEST(SocketStack, AnEmptyNameIsNoHostOnEverySystem) {
    TIdTCPClient keepsStack;
    try {
        SharedStack().ResolveAddress("");
        ADD_FAILURE() << "an empty name was resolved";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.SocketErrorCode(), 11001);
    }
}

TEST(SocketStack, ErrorTexts) {
    struct Case {
        int number;
        const char* text;
    } cases[] = {
        {10061, "Socket Error # 10061\r\nConnection refused."},
        {10035, "Socket Error # 10035\r\nOperation would block. "},
        {10066, "Socket Error # 10066\r\nDirectory not empty"},
        {11001, "Socket Error # 11001\r\nHost not found."},
        {12345, "Socket Error # 12345\r\n"},
        {0, "Socket Error # 0\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TIdStack::SocketErrorText(c.number), c.text);
}

TEST(SocketStack, PlatformErrorsReadAsWindowsSocketsNumbers) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows reports the Windows Sockets numbers themselves: nothing is mapped";
#else
    using ftp::platform::ErrnoToSocketError;
    using ftp::platform::LookupErrorToSocketError;
    struct Case {
        int platform;
        int windows;
    } cases[] = {
        {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060}, {EHOSTUNREACH, 10065}, {ENETUNREACH, 10051}, {ECONNRESET, 10054},
        {EADDRINUSE, 10048},   {EPIPE, 10058},     {ECONNABORTED, 10053}, {EINTR, 10004},       {ENOTSOCK, 10038},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrnoToSocketError(c.platform), c.windows) << c.platform;
    EXPECT_EQ(LookupErrorToSocketError(EAI_NONAME, 0), 11001);
    EXPECT_EQ(LookupErrorToSocketError(EAI_SYSTEM, ECONNREFUSED), 10061);
#endif
}

TEST(SocketStack, CheckSocketResultJudgesOnlyFailures) {
    TIdTCPClient keepsStack;
    TIdStack& stack = SharedStack();
    ftp::platform::SetLastError(10054);
    EXPECT_FALSE(stack.CheckSocketResult(0));
    EXPECT_FALSE(stack.CheckSocketResult(5, {10054}));
    EXPECT_TRUE(stack.CheckSocketResult(-1, {10053, 10054}));
    EXPECT_EQ(stack.LastSocketError(), 10054);
    try {
        stack.CheckSocketResult(-1, {10058});
        ADD_FAILURE() << "an untolerated failure passed";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.SocketErrorCode(), 10054);
        EXPECT_STREQ(e.what(), "Socket Error # 10054\r\nConnection reset by peer.");
    }
}

TEST(SocketHandle, ListenWaitAndAccept) {
    TIdTCPClient keepsStack;
    TIdSocketHandle listener;
    listener.CreateStreamSocket();
    listener.IP = "127.0.0.1";
    listener.BindLocal();
    ASSERT_GT(listener.Port, 0); // the assigned port is read back
    listener.ListenForPeer(1);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(listener.WaitReadable(0));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));

    auto peer = ferrylo::testing::connectTo("127.0.0.1", static_cast<std::uint16_t>(listener.Port));
    ASSERT_TRUE(peer.valid());
    EXPECT_TRUE(listener.WaitReadable(5000));
    TIdSocketHandle accepted;
    ASSERT_TRUE(accepted.AcceptPeer(listener.SocketId()));
    EXPECT_TRUE(accepted.HasSocket());
    EXPECT_EQ(accepted.IP, "127.0.0.1");
    EXPECT_EQ(accepted.Port, listener.Port);
    EXPECT_EQ(accepted.RemoteIP, "127.0.0.1");
    EXPECT_EQ(accepted.RemotePort, LocalPortOf(peer.get()));

    accepted.ReleaseSocket();
    EXPECT_FALSE(accepted.HasSocket());
    EXPECT_THROW(accepted.WaitReadable(0), EIdConnClosedGracefully);
}

TEST(SocketHandle, BindToAPortInUse) {
    TIdTCPClient keepsStack;
    LoopbackPeer busy;
    TIdSocketHandle handle;
    handle.CreateStreamSocket();
    handle.IP = "127.0.0.1";
    handle.Port = busy.port;
    try {
        handle.BindLocal();
        ADD_FAILURE() << "bound to a port in use";
    } catch (const EIdCouldNotBindSocket& e) {
        EXPECT_STREQ(e.what(), "Could not bind socket. Address and port are already in use.");
    }
}

TEST(SocketChannel, WithoutSocket) {
    TIdIOHandlerSocket channel;
    char byte = 0;
    EXPECT_FALSE(channel.ChannelOpen());
    EXPECT_THROW(channel.ReceiveSome(&byte, 1), EIdClosedSocket);
    channel.PrepareChannel();
    ASSERT_NE(channel.Binding(), nullptr);
    try {
        channel.SendSome(&byte, 1);
        ADD_FAILURE() << "sent without a socket";
    } catch (const EIdClosedSocket& e) {
        EXPECT_STREQ(e.what(), "Disconnected.");
    }
    EXPECT_THROW(channel.WaitReadable(0), EIdConnClosedGracefully);
}

TEST(SocketChannel, ConnectsFromTheBoundAddress) {
    LoopbackPeer server;
    TIdIOHandlerSocket channel;
    channel.PrepareChannel();
    channel.ConnectChannel("localhost", server.port, DefaultTimeLimit, "127.0.0.1", 0, 0, 0);
    ASSERT_TRUE(server.Accept());
    EXPECT_TRUE(channel.ChannelOpen());
    EXPECT_EQ(channel.Binding()->RemoteIP, "127.0.0.1");
    EXPECT_EQ(channel.Binding()->RemotePort, server.port);
    EXPECT_EQ(channel.Binding()->IP, "127.0.0.1");
    EXPECT_GT(channel.Binding()->Port, 0);
#ifndef _WIN32 // Windows gives a host that never answers up after about 21 s by itself
    int synRetries = 0;
    socklen_t length = sizeof synRetries;
    ::getsockopt(static_cast<int>(channel.Binding()->SocketId()), IPPROTO_TCP, TCP_SYNCNT, &synRetries, &length);
    EXPECT_EQ(synRetries, 3); // a host that never answers is given up after about 20 s, not two minutes
#endif
    EXPECT_EQ(channel.SendSome("hi", 2), 2);
    EXPECT_EQ(server.Receive(), "hi");
    channel.CloseChannel();
    EXPECT_FALSE(channel.ChannelOpen());
    EXPECT_EQ(server.Receive(), ""); // the peer sees the close
}

} // namespace
