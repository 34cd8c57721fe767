// The copy job over SFTP, the same job as over FTP: a Cyrillic tree arrives byte for byte over one connection and
// over several, the first connection asks once about the new host key and keeps it, the sources of a move go only
// after their own upload; a host key that changed is refused before any log-in; an upload cut in the middle is
// resumed on a new connection.
#include "CopyJobFixture.h"

#include "tests/support/ScriptedSshServer.h"
#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"
#include "util/NativePath.h"

#include <QByteArray>
#include <algorithm>
#include <filesystem>

using ferrylo::testing::ScriptedSshServer;
using ferrylo::testing::SshdServer;

namespace fs = std::filesystem;

namespace {

class SftpJobTest : public CopyJobFixture {
protected:
    void SetUp() override {
        if (const std::string why = SshdServer::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        CopyJobFixture::SetUp();
        // The user's own keys, agent and known hosts are no part of the test.
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(programFolder() + "home"));
        qunsetenv("SSH_AUTH_SOCK");
        host().sftp = true;
    }
    void TearDown() override {
        qputenv("HOME", savedHome_);
        CopyJobFixture::TearDown();
    }
    // The server as typed: an SSH server's port goes with its name.
    template <typename Server> void pointAtSsh(const Server& server, const std::string& password) {
        pointAt(server.host(), server.port(), server.user(), password);
        host().server = server.host() + ":" + std::to_string(server.port());
    }
    fs::path sshFolder() const { return fs::path(programFolder() + "home") / ".ssh"; }
    std::string knownHosts() const { return TempFolder::Get((sshFolder() / "known_hosts").string()); }

    QByteArray savedHome_;
};

TEST_F(SftpJobTest, TreeArrivesWholeOverOneOrSeveralConnectionsAfterOneQuestionAboutTheKey) {
    SshdServer server;
    fs::create_directories(sshFolder());
    fs::copy_file(server.clientKey(), sshFolder() / "id_ed25519");
    const std::string folder = makeFolder("src/Фото");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Ёлка.bin", std::string(700000, 'e')}, {"sub/Море.jpg", "sea"}, {"sub/deeper/x.txt", "x"}, {"b.txt", "b"}};
    for (const int connections : {1, 3}) {
        SCOPED_TRACE(connections);
        for (const auto& [name, bytes] : files)
            makeFile("src/Фото/" + name, bytes);
        pointAtSsh(server, "");
        host().options = {
            .DeleteSources = true, .NotifyDone = true, .KnownFolders = connections > 1, .ParallelUploads = connections};
        setSource(folder, "*.*", (server.root() / "in").string());
        script_.clear();
        host().log.clear();
        if (connections == 1)
            script_.answer(ui::Yes); // the new key: asked once, then known
        startJob();

        EXPECT_TRUE(errors().empty());
        for (const auto& [name, bytes] : files) {
            EXPECT_TRUE(TempFolder::Get((server.root() / "in" / "Фото" / name).string()) == bytes) << name;
            EXPECT_FALSE(exists(inFolder(folder, EightBitPath(fs::path(name).make_preferred())))) << name;
        }
        const std::vector<QString> shownTexts = script_.texts();
        const QStringList texts(shownTexts.begin(), shownTexts.end());
        EXPECT_EQ(texts.filter(QStringLiteral("еще неизвестен")).size(), connections == 1 ? 1 : 0);
        EXPECT_EQ(texts.back(), QStringLiteral("Копирование завершено"));
        EXPECT_NE(knownHosts().find("[127.0.0.1]:" + std::to_string(server.port())), std::string::npos);
        // Connections still logging in once every file is taken are let go: at least the first one logged in.
        EXPECT_GE(logged(": Вход на сервер SSH по ключу id_ed25519"), 1);
    }
}

TEST_F(SftpJobTest, AChangedHostKeyIsRefusedBeforeAnyLogIn) {
    SshdServer server, impostor;
    fs::create_directories(sshFolder());
    TempFolder::Put((sshFolder() / "known_hosts").string(),
                    "[127.0.0.1]:" + std::to_string(server.port()) + " " + impostor.hostKeyLine() + "\n");
    fs::copy_file(server.clientKey(), sshFolder() / "id_ed25519");
    const std::string file = makeFile("src/a.txt", "alpha");
    pointAtSsh(server, "");
    setSource(programFolder() + "src", "a.txt", "/in");
    startJobKeepingSources();

    ASSERT_EQ(script_.texts().size(), 2u); // the move question, then the refusal: no "Нет связи" after it
    const QString refusal = script_.texts()[1];
    EXPECT_TRUE(refusal.contains(QStringLiteral("изменился, соединение отклонено")));
    EXPECT_TRUE(refusal.contains(QString::fromStdString(server.hostKeyFingerprint())));
    EXPECT_TRUE(refusal.contains(QString::fromStdString(impostor.hostKeyFingerprint())));
    EXPECT_TRUE(refusal.contains(QStringLiteral("удалите строку 1 из файла")));
    EXPECT_TRUE(host().CopyIdle && host().startEnabled && exists(file));
}

TEST_F(SftpJobTest, AnUploadCutInTheMiddleIsResumedOnANewConnection) {
    if (const std::string why = ScriptedSshServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    ScriptedSshServer::Behaviour cut;
    cut.dropAtBytes = 1 << 20;
    ScriptedSshServer server(cut);
    fs::create_directories(sshFolder());
    TempFolder::Put((sshFolder() / "known_hosts").string(),
                    "[127.0.0.1]:" + std::to_string(server.port()) + " " + server.hostKeyLine() + "\n");
    std::string bytes(4 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    const std::string file = makeFile("src/big.bin", bytes);
    pointAtSsh(server, server.password());
    setOptions(false, true, true, false, false);
    setSource(programFolder() + "src", "big.bin", "/in");
    host().RetryWaitsMs = {1};
    startJob();

    EXPECT_TRUE(TempFolder::Get((server.root() / "in" / "big.bin").string()) == bytes) << server.log();
    EXPECT_EQ(logged(": Повтор 1 из 1: " + file), 1);
    EXPECT_EQ(logged(": Вход на сервер SSH по паролю"), 2);
    EXPECT_FALSE(exists(file));
}

} // namespace
