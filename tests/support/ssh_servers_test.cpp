// The SSH test servers, driven by the system's sftp client: the SFTP tests trust what they serve and misbehave.
#include "tests/support/LoopbackSockets.h"
#include "tests/support/ScriptedSshServer.h"
#include "tests/support/SshKeys.h"
#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <random>

using namespace ferrylo::testing;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    bool succeeded = false;
    std::string output;
};

Outcome runShell(const std::string& command) {
    Outcome outcome;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return outcome;
    char chunk[512];
    while (std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
        outcome.output.append(chunk, got);
    const int status = ::pclose(pipe);
    outcome.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

// Who to reach and how: enough for the system's sftp client in batch mode, pinned to the server's host key.
struct Login {
    std::uint16_t port;
    std::string user;
    std::string hostKeyLine;
    std::filesystem::path key;
};

Outcome sftpBatch(const TempFolder& work, const Login& login, const std::string& commands) {
    const std::string knownHosts = work.File("known_hosts");
    const std::string batch = work.File("batch");
    TempFolder::Put(knownHosts, "[127.0.0.1]:" + std::to_string(login.port) + " " + login.hostKeyLine + "\n");
    TempFolder::Put(batch, commands);
    // No user or system configuration: nothing may send this client anywhere but 127.0.0.1.
    return runShell("timeout 20 /usr/bin/sftp -F /dev/null -b '" + batch + "' -P " + std::to_string(login.port) +
                    " -i '" + login.key.string() + "' -o IdentitiesOnly=yes -o UserKnownHostsFile='" + knownHosts +
                    "' -o StrictHostKeyChecking=yes -o BatchMode=yes -o ConnectTimeout=5 " + login.user + "@127.0.0.1");
}

// Bytes of every value, more than a few SFTP write requests' worth.
std::string samplePayload(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(random() & 0xff);
    return bytes;
}

void expectUploadArrives(const Login& login, const std::string& remotePath, const std::filesystem::path& arrives,
                         const std::string& serverLog) {
    TempFolder work("ferrylo-sftp-client-");
    const std::string payload = samplePayload(300 * 1024 + 17);
    TempFolder::Put(work.File("upload.bin"), payload);
    const Outcome put = sftpBatch(work, login, "put '" + work.File("upload.bin") + "' '" + remotePath + "'\n");
    ASSERT_TRUE(put.succeeded) << put.output << "\nserver:\n" << serverLog;
    EXPECT_TRUE(TempFolder::Get(arrives.string()) == payload) << "the upload arrived changed";
}

} // namespace

TEST(SshdServer, UploadWithTheClientKeyArrivesByteForByte) {
    if (const std::string why = SshdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    SshdServer server;
    const Login login{server.port(), server.user(), server.hostKeyLine(), server.clientKey()};
    expectUploadArrives(login, (server.root() / "upload.bin").string(), server.root() / "upload.bin", server.log());
}

TEST(SshdServer, EachStartShowsAHostKeyOfItsOwn) {
    if (const std::string why = SshdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    SshdServer first;
    SshdServer second;
    EXPECT_EQ(first.hostKeyFingerprint().rfind("SHA256:", 0), 0u) << first.hostKeyFingerprint();
    EXPECT_EQ(first.hostKeyLine().rfind("ssh-ed25519 AAAA", 0), 0u) << first.hostKeyLine();
    EXPECT_NE(first.hostKeyFingerprint(), second.hostKeyFingerprint());
    EXPECT_NE(first.hostKeyLine(), second.hostKeyLine());
}

// The system's sftp client logs in with a key of the test's own, as batch mode allows no password.
class ScriptedSshServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = ScriptedSshServer::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        makeEd25519KeyPair(keys_.Path() / "key", keys_.Path() / "ssh-keygen.log");
        behaviour_.authorizedKey = publicKeyLine(keys_.Path() / "key.pub");
    }
    Login loginTo(const ScriptedSshServer& server) const {
        return {server.port(), server.user(), server.hostKeyLine(), keys_.Path() / "key"};
    }

    TempFolder keys_{"ferrylo-client-key-"};
    TempFolder work_{"ferrylo-sftp-client-"};
    ScriptedSshBehaviour behaviour_;
};

TEST_F(ScriptedSshServerTest, UploadWithAnAuthorizedKeyArrivesByteForByte) {
    ScriptedSshServer server(behaviour_);
    expectUploadArrives(loginTo(server), "/upload.bin", server.root() / "upload.bin", server.log());
}

TEST_F(ScriptedSshServerTest, RefusesWrites) {
    behaviour_.refuseWrites = true;
    ScriptedSshServer server(behaviour_);
    TempFolder::Put(work_.File("upload.bin"), "bytes");
    const Outcome put = sftpBatch(work_, loginTo(server), "put '" + work_.File("upload.bin") + "' /upload.bin\n");
    EXPECT_FALSE(put.succeeded);
    EXPECT_NE(put.output.find("Permission denied"), std::string::npos) << put.output;
    EXPECT_FALSE(std::filesystem::exists(server.root() / "upload.bin"));
}

TEST_F(ScriptedSshServerTest, CutsTheFirstUploadThenLiesOnceAboutItsSize) {
    behaviour_.dropAtBytes = 100000;
    behaviour_.firstSizeAfterDrop = "12";
    ScriptedSshServer server(behaviour_);
    const std::string payload = samplePayload(400000);
    TempFolder::Put(work_.File("upload.bin"), payload);
    const std::string put = "put '" + work_.File("upload.bin") + "' /upload.bin\n";

    EXPECT_FALSE(sftpBatch(work_, loginTo(server), put).succeeded);
    const auto arrived = std::filesystem::file_size(server.root() / "upload.bin");
    EXPECT_GE(arrived, 100000u);
    EXPECT_LT(arrived, payload.size());
    const std::string listing = sftpBatch(work_, loginTo(server), "ls -l /upload.bin\nls -l /upload.bin\n").output;
    const auto lie = listing.find(" 12 ");
    EXPECT_NE(lie, std::string::npos) << listing;
    EXPECT_NE(listing.find(" " + std::to_string(arrived) + " ", lie), std::string::npos) << listing;

    const Outcome again = sftpBatch(work_, loginTo(server), put);
    ASSERT_TRUE(again.succeeded) << again.output << "\nserver:\n" << server.log();
    EXPECT_TRUE(TempFolder::Get((server.root() / "upload.bin").string()) == payload) << "the second upload changed";
}

TEST_F(ScriptedSshServerTest, SilentAfterGreetingSendsOneLineThenNothing) {
    behaviour_.silentAfterGreeting = true;
    ScriptedSshServer server(behaviour_);
    UniqueFd peer = connectTo(server.host(), server.port());
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(sendAll(peer.get(), "SSH-2.0-Probe\r\n"));
    std::string received;
    char chunk[256];
    while (received.size() < 4096 && waitReadable(peer.get(), 1500ms)) {
        const std::int64_t got = receiveSome(peer.get(), chunk, sizeof chunk);
        if (got <= 0)
            break;
        received.append(chunk, static_cast<std::size_t>(got));
    }
    EXPECT_EQ(received, "SSH-2.0-FerryloTest\r\n");
}
