// The test servers themselves, driven over raw sockets: later tests trust what they record.
#include "tests/support/FakeFtpServer.h"
#include "tests/support/LoopbackSockets.h"
#include "tests/support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace ferrylo::testing;
using namespace std::chrono_literals;

namespace {

// A line-at-a-time peer, enough to talk to a server by hand.
class RawClient {
public:
    RawClient(const std::string& host, std::uint16_t port) : fd_(connectTo(host, port)) {}
    bool connected() const { return fd_.valid(); }
    void send(const std::string& line) { sendAll(fd_.get(), line + "\r\n"); }
    std::string readLine() {
        while (buffer_.find('\n') == std::string::npos) {
            char chunk[512];
            if (!waitReadable(fd_.get(), 5s))
                return "<timeout>";
            const std::int64_t got = receiveSome(fd_.get(), chunk, sizeof chunk);
            if (got <= 0)
                return "<closed>";
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
        std::string line = buffer_.substr(0, buffer_.find('\n'));
        buffer_.erase(0, line.size() + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    std::string command(const std::string& line) {
        send(line);
        return readLine();
    }

private:
    UniqueFd fd_;
    std::string buffer_;
};

std::uint16_t passivePort(const std::string& reply) {
    unsigned h[4], p1, p2;
    const auto open = reply.find('(');
    if (open == std::string::npos ||
        std::sscanf(reply.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &h[0], &h[1], &h[2], &h[3], &p1, &p2) != 6)
        return 0;
    return static_cast<std::uint16_t>(p1 * 256 + p2);
}

} // namespace

TEST(FakeFtpServer, RulesLogInAndStorePassively) {
    FakeFtpServer server;
    server.addFolder("/a");
    RawClient client(server.host(), server.port());
    ASSERT_TRUE(client.connected());
    EXPECT_EQ(client.readLine().substr(0, 4), "220 ");
    EXPECT_EQ(client.command("USER tester").substr(0, 3), "331");
    EXPECT_EQ(client.command("PASS wrong").substr(0, 3), "530");
    EXPECT_EQ(client.command("PASS secret").substr(0, 3), "230");
    EXPECT_EQ(client.command("CWD ").substr(0, 3), "501");
    EXPECT_EQ(client.command("MKD a").substr(0, 3), "550");
    EXPECT_EQ(client.command("CWD a").substr(0, 3), "250");
    const std::string pasv = client.command("PASV");
    ASSERT_EQ(pasv.substr(0, 3), "227");
    client.send("STOR name with spaces.bin");
    {
        UniqueFd data = connectTo(server.host(), passivePort(pasv));
        ASSERT_TRUE(data.valid());
        sendAll(data.get(), "hello");
    }
    EXPECT_EQ(client.readLine().substr(0, 3), "150");
    EXPECT_EQ(client.readLine().substr(0, 3), "226");
    EXPECT_EQ(client.command("QUIT").substr(0, 3), "221");

    ASSERT_TRUE(server.waitForSessionEnd(5s));
    const auto stored = server.stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].argument, "name with spaces.bin");
    EXPECT_EQ(stored[0].cwd, "/a");
    EXPECT_EQ(stored[0].content, "hello");
    EXPECT_EQ(server.commands().front(), "USER tester");
    EXPECT_EQ(server.commands().back(), "QUIT");
}

TEST(FakeFtpServer, ScriptComesFirstAndRecordsMismatches) {
    FakeFtpServer server;
    server.expect("USER x", "230-Hello\r\n230 Done");
    server.expect("SYST", "");
    RawClient client(server.host(), server.port());
    client.readLine();
    EXPECT_EQ(client.command("USER x"), "230-Hello");
    EXPECT_EQ(client.readLine(), "230 Done");
    EXPECT_EQ(client.command("NOOP").substr(0, 3), "500");
    EXPECT_EQ(client.command("NOOP").substr(0, 3), "200"); // script used up: rules again
    ASSERT_EQ(server.scriptMismatches().size(), 1u);
}

TEST(FakeFtpServer, OverridesDropsAndStalls) {
    FakeFtpServer server;
    server.setReply("syst", "502 Not here.");
    server.dropOn("TYPE");
    server.stallOn("NOOP");
    {
        RawClient client(server.host(), server.port());
        client.readLine();
        EXPECT_EQ(client.command("SYST"), "502 Not here.");
        EXPECT_EQ(client.command("TYPE I"), "<closed>");
    }
    RawClient second(server.host(), server.port());
    second.readLine();
    second.send("NOOP");
    EXPECT_TRUE(server.waitForCommands(3, 5s));
    EXPECT_EQ(server.sessionCount(), 2u);
    // The stalled session ends with the server; the destructor must not hang on it.
}

TEST(FakeFtpServer, RefusesPortTargetsOutsideLoopback) {
    FakeFtpServer server;
    RawClient client(server.host(), server.port());
    client.readLine();
    EXPECT_EQ(client.command("PORT 10,0,0,5,19,137").substr(0, 3), "501");
    EXPECT_EQ(client.command("PORT 127,0,0,1,300,1").substr(0, 3), "501");
    EXPECT_EQ(client.command("STOR x").substr(0, 3), "150");
    EXPECT_EQ(client.readLine().substr(0, 3), "425");
}

TEST(PyFtpdServer, ServesARootThatGoesAwayWithIt) {
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    std::filesystem::path root;
    {
        PyFtpdServer server;
        root = server.root();
        EXPECT_TRUE(std::filesystem::is_directory(root));
        RawClient client(server.host(), server.port());
        EXPECT_EQ(client.readLine().substr(0, 3), "220") << server.log();
        EXPECT_EQ(client.command("USER " + server.user()).substr(0, 3), "331");
        EXPECT_EQ(client.command("PASS " + server.password()).substr(0, 3), "230");
        EXPECT_EQ(client.command("MKD made").substr(0, 3), "257");
        EXPECT_TRUE(std::filesystem::is_directory(root / "made"));
    }
    EXPECT_FALSE(std::filesystem::exists(root / "made"));
#ifndef _WIN32
    EXPECT_FALSE(std::filesystem::exists(root)); // under Wine the root is the shared server's, emptied
#endif
}
