// The SFTP client against real SSH servers on 127.0.0.1: uploads that arrive byte for byte and resume where asked,
// host keys checked the way OpenSSH keeps them, the log-in methods tried in their order, and waits that end at their
// bound or at once when cut.
#include "ftp/WaitSlices.h"
#include "sftp/KnownHosts.h"
#include "sftp/LogIn.h"
#include "sftp/SftpClient.h"
#include "tests/support/ScriptedSshServer.h"
#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using ferrylo::testing::ScriptedSshServer;
using ferrylo::testing::SshdServer;

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    return TempFolder::Get(path.string());
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class SftpTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = SshdServer::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        unsetenv("SSH_AUTH_SOCK"); // the user's agent is no part of these tests
    }
    fs::path local(const std::string& name) const { return folder_.Path() / name; }

    TempFolder folder_;
};

// Logged in to the sshd with its client key.
void OpenWithKey(sftp::TSshSession& session, const SshdServer& server) {
    session.Open(server.host(), server.port());
    ASSERT_TRUE(session.LogInWithKey(server.user(), server.clientKey().string(), ""));
}

TEST_F(SftpTest, UploadArrivesByteForByteAndResumesFromAnOffset) {
    SshdServer server;
    sftp::TSshSession session;
    OpenWithKey(session, server);
    sftp::TSftpClient client(session);
    const std::string folder = (server.root() / "in" / "Фото").string();
    client.MakeFolder((server.root() / "in").string());
    client.MakeFolder(folder);
    client.MakeFolder(folder); // there already: no error

    std::string bytes(3 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    Write(local("a.bin"), bytes);
    const std::string remote = folder + "/Ёлка.bin";
    std::int64_t reported = 0;
    bool wentBack = false;
    client.Upload(local("a.bin").string(), remote, 0, [&](std::int64_t sent) {
        wentBack |= sent < reported;
        reported = sent;
    });
    EXPECT_FALSE(wentBack);
    EXPECT_EQ(reported, static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(ReadAll(fs::path(remote)) == bytes);
    EXPECT_EQ(client.Stat(remote)->Size, static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(client.Stat(folder)->Folder);
    EXPECT_FALSE(client.Stat(folder + "/missing").has_value());

    // A copy cut short is completed from where it ends: the bytes before stay, the rest is the source's.
    fs::resize_file(fs::path(remote), 1 << 20);
    client.Upload(local("a.bin").string(), remote, 1 << 20, nullptr);
    EXPECT_TRUE(ReadAll(fs::path(remote)) == bytes);

    // A listing tells files from folders, with the file's size and time; a folder that is not there lists nothing.
    fs::create_directory(fs::path(folder) / "sub");
    const auto listed = client.ListFolder(folder);
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(listed->size(), 2u);
    const bool fileFirst = listed->front().Name == "Ёлка.bin";
    const sftp::TRemoteEntry& file = listed->at(fileFirst ? 0 : 1).Entry;
    const sftp::TRemoteEntry& sub = listed->at(fileFirst ? 1 : 0).Entry;
    EXPECT_TRUE(file.File && !file.Folder && sub.Folder && !sub.File);
    EXPECT_EQ(file.Size, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(file.ModifiedUtc, client.Stat(remote)->ModifiedUtc);
    EXPECT_NEAR(static_cast<double>(file.ModifiedUtc.value_or(0)), static_cast<double>(std::time(nullptr)), 60);
    EXPECT_FALSE(client.ListFolder(folder + "/missing").has_value());

    EXPECT_THROW(client.MakeFolder(remote + "/below-a-file"), sftp::ESshError);
}

TEST_F(SftpTest, HostKeysAreKnownNewOrChangedWithTheLineToRemove) {
    SshdServer server, other; // two servers, two keys
    sftp::TSshSession session, otherSession;
    session.Open(server.host(), server.port());
    otherSession.Open(other.host(), other.port());
    EXPECT_EQ(session.HostKey().Fingerprint, server.hostKeyFingerprint());
    EXPECT_EQ(session.HostKey().TypeName, "ED25519");

    const std::string file = local("ssh/known_hosts").string();
    const auto standing = [&](const sftp::TSshSession& s) {
        return sftp::CheckHostKey(file, server.host(), server.port(), s.HostKey());
    };
    EXPECT_EQ(standing(session).Standing, sftp::THostKeyStanding::Unknown); // no file yet
    Write(file,
          "# mine\nother.example ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIG4+FL0o06VRWeKNDUU320VJepG5n3CxcpO+7hIaR9qn");
    ASSERT_TRUE(sftp::RememberHostKey(file, server.host(), server.port(), session.HostKey()));
    EXPECT_EQ(ReadAll(file).substr(0, 7), "# mine\n") << "what was there stays";
    EXPECT_NE(ReadAll(file).find("[127.0.0.1]:" + std::to_string(server.port()) + " ssh-ed25519 "), std::string::npos);
    EXPECT_EQ(standing(session).Standing, sftp::THostKeyStanding::Known);
    const sftp::THostKeyCheck changed = standing(otherSession);
    EXPECT_EQ(changed.Standing, sftp::THostKeyStanding::Changed);
    EXPECT_EQ(changed.Line, 3);
    EXPECT_EQ(changed.RememberedFingerprint, server.hostKeyFingerprint());

    // Hashed the way `ssh-keygen -H` hashes: still known.
    ASSERT_EQ(std::system(("ssh-keygen -q -H -f '" + file + "' >/dev/null 2>&1").c_str()), 0);
    EXPECT_EQ(ReadAll(file).find("127.0.0.1"), std::string::npos);
    EXPECT_EQ(standing(session).Standing, sftp::THostKeyStanding::Known);
    EXPECT_EQ(standing(otherSession).Line, 3);
}

TEST_F(SftpTest, LogInTriesThePasswordOrTheAgentAndTheDefaultKeys) {
    SshdServer server;
    const fs::path keys = local("ssh");
    fs::create_directories(keys);
    fs::copy_file(server.clientKey(), keys / "id_ecdsa"); // a name further down the list
    const std::string locked = (keys / "id_ed25519").string();
    ASSERT_EQ(std::system(("ssh-keygen -q -t ed25519 -N 'кот 1' -f '" + locked + "' >/dev/null").c_str()), 0);
    EXPECT_TRUE(sftp::KeyNeedsPassphrase(locked));
    EXPECT_FALSE(sftp::KeyNeedsPassphrase((keys / "id_ecdsa").string()));

    const struct {
        std::string password;
        const char* answer; // to the passphrase question; nullptr: declined
        bool loggedIn;
        std::string method;
        int questions;
    } cases[] = {
        {"secret", nullptr, false, "", 0},  // the server takes no password: it says what it takes
        {"", nullptr, true, "id_ecdsa", 1}, // the locked key is passed over, the next one works
        {"", "кот 1", true, "id_ecdsa", 1}, // unlocked, but not authorized there: the next one works
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password + (c.answer ? c.answer : "-"));
        sftp::TSshSession session;
        session.Open(server.host(), server.port());
        int questions = 0;
        const sftp::TLogInResult result =
            sftp::LogIn(session, server.user(), c.password, keys.string(), [&](const std::string& path) {
                ++questions;
                EXPECT_EQ(path, locked);
                return c.answer ? std::optional<std::string>(c.answer) : std::nullopt;
            });
        EXPECT_EQ(result.LoggedIn, c.loggedIn);
        EXPECT_EQ(result.Method, c.method);
        EXPECT_EQ(result.ServerMethods, c.loggedIn ? "" : "publickey");
        EXPECT_EQ(questions, c.questions);
    }

    ScriptedSshServer scripted;
    sftp::TSshSession session;
    session.Open(scripted.host(), scripted.port());
    EXPECT_TRUE(sftp::LogIn(session, scripted.user(), scripted.password(), keys.string(), nullptr).LoggedIn);
}

TEST_F(SftpTest, ASilentServerEndsAtTheBoundAndACutEndsAWaitAtOnce) {
    ScriptedSshServer::Behaviour silence;
    silence.silentAfterGreeting = true;
    ScriptedSshServer silent(silence);
    const auto openFor = [&](int replyMs) {
        sftp::TSshSession session;
        const auto start = std::chrono::steady_clock::now();
        sftp::TSshFailure failure = sftp::TSshFailure::Protocol;
        try {
            session.Open(silent.host(), silent.port(), {.ConnectMs = 5000, .ReplyMs = replyMs});
            ADD_FAILURE() << "a silent server made no session";
        } catch (const sftp::ESshError& error) {
            failure = error.Failure();
        }
        return std::make_pair(failure, std::chrono::steady_clock::now() - start);
    };
    const auto [timedOut, waited] = openFor(500);
    EXPECT_EQ(timedOut, sftp::TSshFailure::TimedOut);
    EXPECT_LT(waited, std::chrono::seconds(10));

    sftp::TSshSession* cutting = nullptr;
    int hookRuns = 0;
    ftp::SetWaitSliceHook([&] {
        if (++hookRuns == 5 && cutting != nullptr)
            cutting->Cut();
    });
    sftp::TSshSession session;
    cutting = &session;
    EXPECT_THROW(
        {
            try {
                session.Open(silent.host(), silent.port(), {.ConnectMs = 5000, .ReplyMs = 600000});
            } catch (const sftp::ESshError& error) {
                EXPECT_EQ(error.Failure(), sftp::TSshFailure::Stopped);
                throw;
            }
        },
        sftp::ESshError);
    ftp::SetWaitSliceHook({});
}

} // namespace
