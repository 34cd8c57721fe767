// The copy job over SFTP, the same job as over FTP: a Cyrillic tree arrives byte for byte over one connection and
// over several, the first connection asks once about the new host key and keeps it, the sources of a move go only
// after their own upload; a host key that changed is refused before any log-in; an upload cut in the middle is
// resumed on a new connection.
#include "CopyJobFixture.h"

#include "tests/support/ScriptedSshServer.h"
#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"
#include "util/NativePath.h"

#include "app/CopyJob.h"

#include <QByteArray>
#include <algorithm>
#include <chrono>
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
    // The user's key is the server's client key, and the server's host key is known already.
    void knowServerWithKey(const SshdServer& server) {
        fs::create_directories(sshFolder());
        fs::copy_file(server.clientKey(), sshFolder() / "id_ed25519");
        TempFolder::Put((sshFolder() / "known_hosts").string(),
                        "[127.0.0.1]:" + std::to_string(server.port()) + " " + server.hostKeyLine() + "\n");
    }
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

// The scripted server cuts the first upload at 1 MiB, then answers the size of its copy as given: the retry
// resumes only where the server's word and what this client sent agree, and the file arrives byte for byte.
TEST_F(SftpJobTest, AnUploadCutInTheMiddleIsResumedNoFurtherThanItWasSent) {
    if (const std::string why = ScriptedSshServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    std::string bytes(4 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    const struct {
        std::string sizeAfterCut; // empty: the truth
        const char* logged;       // the doubt the log tells, if any
        bool resumed;
    } answers[] = {
        {"", nullptr, true},
        {"1000", nullptr, true},
        {std::to_string(bytes.size() + 5), "Сервер сообщил о копии больше отправленного", false},
    };
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.sizeAfterCut);
        ScriptedSshServer::Behaviour cut;
        cut.dropAtBytes = 1 << 20;
        cut.firstSizeAfterDrop = answer.sizeAfterCut;
        ScriptedSshServer server(cut);
        fs::create_directories(sshFolder());
        TempFolder::Put((sshFolder() / "known_hosts").string(),
                        "[127.0.0.1]:" + std::to_string(server.port()) + " " + server.hostKeyLine() + "\n");
        const std::string file = makeFile("src/big.bin", bytes);
        pointAtSsh(server, server.password());
        setOptions(false, true, true, false, false);
        setSource(programFolder() + "src", "big.bin", "/in");
        host().RetryWaitsMs = {1};
        host().log.clear();
        std::int64_t announced = 0; // by the last store: a resumed one announces only the rest
        host().ftp.OnWorkBegin = nullptr;
        onWorkBegin([&](std::int64_t max) { announced = max; });
        startJob();

        EXPECT_TRUE(TempFolder::Get((server.root() / "in" / "big.bin").string()) == bytes) << server.log();
        EXPECT_EQ(logged(": Повтор 1 из 1: " + file), 1);
        EXPECT_EQ(logged(": Вход на сервер SSH по паролю"), 2);
        EXPECT_EQ(announced < static_cast<std::int64_t>(bytes.size()), answer.resumed);
        EXPECT_EQ(logged(std::string(": ") + (answer.logged ? answer.logged : "Сервер ")), answer.logged ? 1 : 0);
        EXPECT_FALSE(exists(file)) << "moved once the server's size matched";
    }
}

// A server that refuses the file: the job ends with its error at once (a refusal does not pass with a retry), the
// source stays.
TEST_F(SftpJobTest, ARefusedWriteEndsTheJobWithItsErrorAndKeepsTheSource) {
    if (const std::string why = ScriptedSshServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    ScriptedSshServer::Behaviour refusing;
    refusing.refuseWrites = true;
    ScriptedSshServer server(refusing);
    fs::create_directories(sshFolder());
    TempFolder::Put((sshFolder() / "known_hosts").string(),
                    "[127.0.0.1]:" + std::to_string(server.port()) + " " + server.hostKeyLine() + "\n");
    const std::string file = makeFile("src/a.txt", "alpha");
    pointAtSsh(server, server.password());
    setOptions(false, true, true, false, false);
    setSource(programFolder() + "src", "a.txt", "/in");
    host().RetryWaitsMs = {1, 1};
    startJob();

    EXPECT_EQ(script_.texts(), std::vector<QString>{QString::fromStdString("Ошибка копирования " + shown(file))});
    EXPECT_EQ(logged(": Повтор "), 0);
    EXPECT_TRUE(exists(file));
}

// A stop in the middle of an SFTP upload cuts the connection at once: the job ends stopped, the source stays.
TEST_F(SftpJobTest, AStopCutsTheUploadAtOnce) {
    SshdServer server;
    knowServerWithKey(server);
    const std::string file = makeFile("src/big.bin", std::string(64 << 20, 'b'));
    pointAtSsh(server, "");
    setOptions(false, true, true, false, false);
    setSource(programFolder() + "src", "big.bin", (server.root() / "in").string());
    onWork([&](std::int64_t) { copyjob::Stop(host()); });
    const auto start = std::chrono::steady_clock::now();
    startJob();

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(logTexts().back(), ": Копирование остановлено");
    EXPECT_TRUE(exists(file) && script_.texts().empty());
}

// Run again with "Пропускать файлы…": the file the server holds (same size, newer) is skipped, the one it holds
// older and the one it lacks go.
TEST_F(SftpJobTest, ARunAgainSkipsWhatTheServerHoldsAlready) {
    SshdServer server;
    knowServerWithKey(server);
    const fs::path remote = server.root() / "in" / "src";
    fs::create_directories(remote);
    for (const char* name : {"there.txt", "older.txt", "missing.txt"}) {
        fs::last_write_time(NativePath(makeFile(std::string("src/") + name, "new")),
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    TempFolder::Put((remote / "there.txt").string(), "old");
    TempFolder::Put((remote / "older.txt").string(), "old");
    fs::last_write_time(remote / "older.txt", fs::file_time_type::clock::now() - std::chrono::hours(2));
    pointAtSsh(server, "");
    host().options = {.NotifyDone = true, .SkipExisting = true};
    setSource(programFolder() + "src", "*.*", (server.root() / "in").string());
    startJobKeepingSources();

    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(TempFolder::Get((remote / "there.txt").string()), "old"); // same size, newer: taken as the same
    EXPECT_EQ(TempFolder::Get((remote / "older.txt").string()), "new");
    EXPECT_EQ(TempFolder::Get((remote / "missing.txt").string()), "new");
    EXPECT_EQ(logged(": Пропущен файл : "), 1);
    EXPECT_EQ(logged(": Отправлено файлов : 2, пропущено (уже на сервере) : 1"), 1);
}

} // namespace
