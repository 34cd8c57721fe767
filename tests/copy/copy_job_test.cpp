// The copy job against the scripted server: the checks, the folder walks on the wire, failures on
// cue, the move rules and the end steps.
#include "CopyJobFixture.h"

#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "shell/SiblingFiles.h"
#include "tests/support/FakeFtpServer.h"
#include "ui/TProgressBar.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <utility>
#ifndef _WIN32
#include <unistd.h>
#endif

using ferrylo::testing::FakeFtpServer;

namespace {

const QString kNoCopyYet = QStringLiteral("Копирование уже идет");

class CopyJobTest : public CopyJobFixture {
protected:
    void useFakeServer() { pointAt(server_->host(), server_->port(), "tester", "secret"); }

    // Folder walks and stores as they went over the wire.
    std::vector<std::string> walkAndStores() const {
        std::vector<std::string> picked;
        for (const std::string& command : server_->commands()) {
            if (command.rfind("CWD", 0) == 0 || command.rfind("MKD", 0) == 0 || command.rfind("STOR", 0) == 0)
                picked.push_back(command);
        }
        return picked;
    }

    std::vector<std::string> storedNames() const {
        std::vector<std::string> names;
        for (const auto& file : server_->stored())
            names.push_back(file.argument);
        return names;
    }

    bool idle() { return host().CopyIdle && host().startEnabled && !host().timerRunning; }

    std::unique_ptr<FakeFtpServer> server_ = std::make_unique<FakeFtpServer>();
};

using Commands = std::vector<std::string>;

TEST_F(CopyJobTest, InputChecksStopBeforeAnythingChanges) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    makeFile("src/data/b.dat", "b");
    makeFolder("src/data/only.txt");     // a folder is not a file
    makeFile("src/data/sub/x.txt", "x"); // a file name, not a path inside the folder
    useFakeServer();
    struct Case {
        std::string folder, fileName, destination;
        QString message;
    };
    const Case cases[] = {
        {folder, "*.*", "in/data", QStringLiteral("Папка назначения должна начинаться с \"/\"")},
        {inFolder(folder, "none"), "*.*", "/in", QString::fromStdString("Нет папки - " + inFolder(folder, "none"))},
        {"", "*.*", "/in", QStringLiteral("Нет папки - ")},
        {folder, "c.txt", "/in",
         QString::fromStdString("Нет  файла - " + inFolder(folder, "c.txt") +
                                "Исходящий файл может быть или именем файла или \"*.*\"")},
        {inFolder(folder, ""), "*.pdf", "/in",
         QString::fromStdString("Нет  файла - " + inFolder(folder, "*.pdf") +
                                "Исходящий файл может быть или именем файла или \"*.*\"")},
        {folder, "only.txt", "/in",
         QString::fromStdString("Нет  файла - " + inFolder(folder, "only.txt") +
                                "Исходящий файл может быть или именем файла или \"*.*\"")},
        {folder, "sub/x.txt", "/in",
         QString::fromStdString("Нет  файла - " + inFolder(folder, "sub/x.txt") +
                                "Исходящий файл может быть или именем файла или \"*.*\"")},
        {folder, "*.dat", "/in\\data", QStringLiteral("В Папке назначения должны быть не \"\\\" а \"/\"")},
    };
    for (const Case& c : cases) {
        script_.clear();
        setSource(c.folder, c.fileName, c.destination);
        startJob();
        ASSERT_EQ(script_.texts(), std::vector<QString>{c.message}) << c.fileName << " " << c.destination;
        EXPECT_TRUE(idle());
    }
    EXPECT_EQ(server_->sessionCount(), 0u);
    EXPECT_TRUE(logTexts().empty());
    EXPECT_FALSE(host().options.DeleteSources);
}

TEST_F(CopyJobTest, EmptyDestinationBecomesRootAndTheJobGoesOn) {
    const std::string folder = makeFolder("src/data");
    const std::string file = makeFile("src/data/a.txt", "alpha");
    useFakeServer();
    setSource(folder, "a.txt", "");
    startJobKeepingSources();
    EXPECT_EQ(host().destination, "/");
    EXPECT_EQ(storedNames(), Commands{"/a.txt"});
    // The question was asked once, with the safe answer as default; No keeps the source.
    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].caption, QStringLiteral("вопрос"));
    EXPECT_EQ(script_.shown()[0].defaultButton, ui::No);
    EXPECT_TRUE(exists(file));
    EXPECT_FALSE(host().options.DeleteSources);
}

TEST_F(CopyJobTest, TreeGoesUnderTheDestinationWithAFolderWalkPerFile) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    makeFile("src/data/sub/b.txt", "beta");
    useFakeServer();
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();

    const Commands destinationWalk = {"CWD /", "MKD in", "CWD in", "CWD /"};
    const Commands forA = {"CWD /", "MKD in", "CWD in", "MKD data", "CWD data", "CWD /", "STOR /in/data/a.txt"};
    const Commands forB = {
        "CWD /", "MKD in", "CWD in", "MKD data", "CWD data", "MKD sub", "CWD sub", "CWD /", "STOR /in/data/sub/b.txt"};
    ASSERT_EQ(host().SourceList.size(), 2u);
    const bool aFirst = host().SourceList[0] == inFolder(folder, "a.txt");
    Commands expected = destinationWalk;
    for (const Commands* part : aFirst ? std::vector{&forA, &forB} : std::vector{&forB, &forA})
        expected.insert(expected.end(), part->begin(), part->end());
    EXPECT_EQ(walkAndStores(), expected);

    const auto stored = server_->stored();
    ASSERT_EQ(stored.size(), 2u);
    for (const auto& file : stored) {
        EXPECT_EQ(file.cwd, "/"); // the full path is named from the root
        EXPECT_EQ(file.content, file.argument == "/in/data/a.txt" ? "alpha" : "beta");
    }
    const Commands log = logTexts();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], ": +Установлена связь с сервером");
    EXPECT_EQ(log[1], ": Начал копироваться файл : " + host().SourceList[0]);
    EXPECT_EQ(log[2], ": Скопирован файл " + host().SourceList[0]);
    EXPECT_EQ(log[4], ": Скопирован файл " + host().SourceList[1]);
    // ABOR and QUIT get no reply read: wait until the server has them.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->commands().back() == "QUIT"; }, 5000));
    const auto commands = server_->commands();
    EXPECT_EQ(commands[commands.size() - 2], "ABOR");
    EXPECT_TRUE(idle());
}

// Destinations and single files whose remote folder ends in "/": the walk skips the empty name
// (the scripted server refuses an empty CWD with 501, which would end the job with an error).
TEST_F(CopyJobTest, PathsEndingInSlashSendNoEmptyFolderCommand) {
    struct Case {
        const char* fileName;
        const char* destination;
        Commands expected;
    };
    const Case cases[] = {
        {"*.*",
         "/in/",
         {"CWD /", "MKD in", "CWD in", "CWD /", // the destination as typed
          "CWD /", "MKD in", "CWD in", "MKD data", "CWD data", "CWD /", "STOR /in/data/a.txt"}},
        {"*.*", "/", {"CWD /", "CWD /", "CWD /", "MKD data", "CWD data", "CWD /", "STOR /data/a.txt"}},
        {"a.txt",
         "/in",
         {"CWD /", "MKD in", "CWD in", "CWD /", "CWD /", "MKD in", "CWD in", "CWD /", "STOR /in//a.txt"}},
        {"a.txt", "/", {"CWD /", "CWD /", "CWD /", "CWD /", "STOR /a.txt"}},
    };
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    for (const Case& c : cases) {
        server_ = std::make_unique<FakeFtpServer>();
        useFakeServer();
        script_.clear();
        setSource(folder, c.fileName, c.destination);
        startJobKeepingSources();
        EXPECT_EQ(walkAndStores(), c.expected) << c.fileName << " to " << c.destination;
        EXPECT_TRUE(errors().empty()) << c.fileName << " to " << c.destination;
        for (const std::string& command : server_->commands()) {
            EXPECT_NE(command, "CWD ");
            EXPECT_NE(command, "MKD ");
        }
    }
}

TEST_F(CopyJobTest, TrailingSeparatorAndMaskChooseWhatGoesWhere) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    makeFile("src/data/b.txt", "b");
    makeFile("src/data/c.dat", "c");
    makeFile("src/data/sub/d.txt", "d");

    // Typed with a trailing separator: no folder name on the server, file names intact.
    setSource(inFolder(folder, ""), "*.*", "/in");
    useFakeServer();
    startJobKeepingSources();
    auto names = storedNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Commands{"/in//a.txt", "/in//b.txt", "/in//c.dat", "/in//sub/d.txt"}));

    // A mask takes the folder's own matching files only, each as a single file.
    server_ = std::make_unique<FakeFtpServer>();
    useFakeServer();
    setSource(folder, "*.txt", "/in");
    startJobKeepingSources();
    names = storedNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Commands{"/in//a.txt", "/in//b.txt"}));
    EXPECT_EQ(host().totalSize.text(), QStringLiteral("0 Mb"));
}

TEST_F(CopyJobTest, EmptyFolderStillRunsTheEndSteps) {
    const std::string folder = makeFolder("src/empty");
    useFakeServer();
    setOptions(false, false, true, false, false);
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();
    EXPECT_TRUE(storedNames().empty());
    EXPECT_EQ(script_.texts().back(), QStringLiteral("Копирование завершено"));
    EXPECT_EQ(logTexts(), Commands{": +Установлена связь с сервером"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_->commands().back() == "QUIT"; }, 5000));
    EXPECT_TRUE(idle());
}

TEST_F(CopyJobTest, YesMovesEachFileRightAfterItsOwnUpload) {
    const std::string folder = makeFolder("src/data");
    const std::string a = makeFile("src/data/a.txt", std::string(70000, 'a'));
    const std::string b = makeFile("src/data/b.txt", std::string(1000, 'b'));
    useFakeServer();
    setSource(folder, "*.*", "/in");
    script_.answer(ui::Yes);
    std::vector<bool> firstPresentAtEachBegin; // as the window shows each file begun
    host().onLog = [&](const std::string& line) {
        if (line.find("Начал копироваться файл") != std::string::npos)
            firstPresentAtEachBegin.push_back(exists(host().SourceList[0]));
    };
    startJob();
    EXPECT_EQ(firstPresentAtEachBegin, (std::vector<bool>{true, false}));
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_TRUE(host().options.DeleteSources);
    EXPECT_EQ(server_->stored().size(), 2u);

    // Once ticked, the next job asks nothing.
    script_.clear();
    makeFile("src/data/c.txt", "c");
    startJob();
    EXPECT_TRUE(script_.texts().empty());
}

TEST_F(CopyJobTest, SecondOfThreeUploadsFailingEndsTheJobAndKeepsItsSource) {
    const std::string folder = makeFolder("src/data");
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        makeFile(std::string("src/data/") + name, name);
    useFakeServer();
    setOptions(false, true, true, false, false); // move mode, completion message wanted
    setSource(folder, "*.*", "/in");
    int ended = 0;
    onWorkEnd([&] {
        if (++ended == 1)
            server_->setReply("STOR", "553 Could not create file.");
    });
    startJob();

    const auto& list = host().SourceList;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(script_.texts(), std::vector<QString>{QString::fromStdString("Ошибка копирования " + list[1])});
    EXPECT_EQ(logTexts().back(), ": ошибка копирования " + list[1]);
    EXPECT_FALSE(exists(list[0]));
    EXPECT_TRUE(exists(list[1]));
    EXPECT_TRUE(exists(list[2]));
    // The server's thread may record the goodbye a moment after the job has ended.
    EXPECT_TRUE(server_->waitForSessionEnd(std::chrono::seconds(5)));
    int storeCommands = 0;
    for (const std::string& command : server_->commands())
        storeCommands += command.rfind("STOR", 0) == 0;
    EXPECT_EQ(storeCommands, 2);                   // the third file was not tried
    EXPECT_EQ(server_->commands().back(), "QUIT"); // the connection left the server
    EXPECT_TRUE(idle());

    // The next job starts its counters from zero.
    const std::string other = makeFolder("src/other");
    makeFile("src/other/x.txt", std::string(3000, 'x'));
    server_ = std::make_unique<FakeFtpServer>();
    useFakeServer();
    setSource(other, "*.*", "/in");
    script_.clear();
    startJob();
    EXPECT_EQ(host().SourceList, Commands{inFolder(other, "x.txt")});
    EXPECT_EQ(host().TotalBytes, 3000);
    EXPECT_EQ(host().FinishedBytes, 3000);
    EXPECT_EQ(host().SentBytes, 3000);
    EXPECT_EQ(host().jobBar.Max(), 2);
    EXPECT_EQ(script_.texts().back(), QStringLiteral("Копирование завершено"));
}

// A server that closes the line after the first of two files: the job connects again and goes on; when the server
// lets no one in any more, the second file fails as an upload, not as an error box.
TEST_F(CopyJobTest, LineDroppedBetweenFilesIsConnectedAgain) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    makeFile("src/data/b.txt", "beta");
    setOptions(false, false, true, false, false);
    setSource(folder, "*.*", "/in");
    for (const bool serverStays : {true, false}) {
        FakeFtpServer::Options options;
        options.closeAfterStores = 1;
        server_ = std::make_unique<FakeFtpServer>(options);
        useFakeServer();
        script_.clear();
        script_.answer(ui::No);
        host().RetryWaitsMs = {1}; // the close may come before the next file begins or just after
        if (!serverStays)
            onWorkEnd([&] { server_->setReply("PASS", "530 Not any more."); });
        startJob();
        const auto& list = host().SourceList;
        ASSERT_EQ(list.size(), 2u);
        EXPECT_TRUE(errors().empty()) << serverStays;
        if (serverStays) {
            EXPECT_EQ(server_->sessionCount(), 2u);
            EXPECT_EQ(server_->stored().size(), 2u);
            EXPECT_EQ(script_.texts().back(), QStringLiteral("Копирование завершено"));
        } else {
            EXPECT_EQ(script_.texts().back(), QString::fromStdString("Ошибка копирования " + list[1]));
            EXPECT_EQ(logTexts().back(), ": ошибка копирования " + list[1]);
        }
        EXPECT_TRUE(idle()) << serverStays;
    }
}

// In move mode a source goes only when the server confirmed it and every byte of it was sent.
TEST_F(CopyJobTest, MoveKeepsSourcesWhoseUploadIsNotConfirmed) {
    const std::string folder = makeFolder("src/data");
    const std::string cut = makeFile("src/data/cut.bin", std::string(200000, 'c'));
    FakeFtpServer::Options dropping;
    dropping.dataDropAfterBytes = 50000; // the server ends the transfer early and says 426
    server_ = std::make_unique<FakeFtpServer>(dropping);
    useFakeServer();
    setOptions(false, true, false, false, false);
    setSource(folder, "cut.bin", "/in");
    startJob();
    EXPECT_TRUE(exists(cut));
    EXPECT_EQ(logTexts().back(), ": ошибка копирования " + cut);

    // A file that grows while it is sent: the server got the old size and says 226, yet the file
    // on disk is not what was stored.
    const std::string growing = makeFile("src/data/log.txt", std::string(100000, 'l'));
    server_ = std::make_unique<FakeFtpServer>();
    useFakeServer();
    setSource(folder, "log.txt", "/in");
    bool grown = false;
    onWork([&](std::int64_t) {
        if (!grown) {
            std::ofstream(growing, std::ios::app) << "one more line\n";
            grown = true;
        }
    });
    script_.clear();
    startJob();
    EXPECT_EQ(logTexts().back(), ": Скопирован файл " + growing);
    EXPECT_TRUE(exists(growing));
    ASSERT_EQ(server_->stored().size(), 1u);
    EXPECT_EQ(server_->stored()[0].size, 100000u);
}

TEST_F(CopyJobTest, ConnectionFailureSaysSoAndReturnsToIdle) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    pointAt("127.0.0.1", UnusedLoopbackPort(), "tester", "secret");
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();
    EXPECT_EQ(script_.texts().back(), QStringLiteral("Нет связи"));
    EXPECT_TRUE(logTexts().empty());
    EXPECT_TRUE(idle());

    // A refused log-in is no connection either; the log keeps the server's reason, and a server that wants
    // encryption says where to switch it on.
    const QString tick = QStringLiteral("Сервер требует шифрование: отметьте \"Шифрование (FTPS)\"");
    const struct {
        const char* verb;
        const char* reply;
        const char* logged;
        bool asksForEncryption;
    } refusals[] = {
        {"PASS", "530 Login incorrect.", "530 Login incorrect.", false},
        {"USER", "530-Sorry,\r\n530 this server must use Encryption.", "530 Sorry, this server must use Encryption.",
         true},
        {"USER", "534 Policy requires tls.", "534 Policy requires tls.", true},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.reply);
        server_ = std::make_unique<FakeFtpServer>();
        server_->setReply(refusal.verb, refusal.reply);
        useFakeServer();
        host().log.clear();
        script_.clear();
        startJobKeepingSources();
        EXPECT_EQ(logTexts(), std::vector<std::string>{std::string(": Сервер отказал: ") + refusal.logged});
        std::vector<QString> expected{QStringLiteral("Нет связи")};
        if (refusal.asksForEncryption)
            expected.insert(expected.begin(), tick);
        const std::vector<QString> texts = script_.texts();
        EXPECT_EQ(std::vector<QString>(texts.begin() + 1, texts.end()), expected); // after the move question
        EXPECT_TRUE(idle());
    }
}

TEST_F(CopyJobTest, RefusedFolderReachesTheErrorBoxAndTheWindowIsIdleAgain) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    server_->setReply("MKD", "550 Permission denied.");
    useFakeServer();
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(storedNames().empty());
    EXPECT_TRUE(idle());
}

// The FTP client serves one operation at a time: a running check or job turns a start away with a
// word, also while a job is being prepared (the question is open) or uploads.
TEST_F(CopyJobTest, StartDuringACheckOrAJobSaysWhyAndStartsNothing) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", std::string(100000, 'a'));
    useFakeServer();
    setSource(folder, "*.*", "/in");
    host().checkRunning = true;
    startJob();
    host().checkRunning = false;
    host().CopyIdle = false;
    startJob();
    host().CopyIdle = true;
    EXPECT_EQ(script_.texts(), (std::vector<QString>{QStringLiteral("Идет проверка связи"), kNoCopyYet}));
    EXPECT_EQ(server_->sessionCount(), 0u);
    EXPECT_TRUE(logTexts().empty());

    script_.clear();
    bool startedAgain = false;
    script_.onMessage([&](const ui::testing::Shown&) {
        if (!startedAgain) {
            startedAgain = true;
            startJob();
        }
    });
    bool startedDuringUpload = false;
    host().onLog = [&](const std::string& line) {
        if (line.find("Начал копироваться файл") != std::string::npos && !std::exchange(startedDuringUpload, true))
            startJob();
    };
    startJobKeepingSources();
    EXPECT_TRUE(startedDuringUpload);
    EXPECT_EQ(script_.texts(),
              (std::vector<QString>{QStringLiteral("Удалить исходные файлы после копирования (перенос файлов)?"),
                                    kNoCopyYet, kNoCopyYet}));
    EXPECT_EQ(server_->sessionCount(), 1u);
    EXPECT_EQ(server_->stored().size(), 1u);
}

TEST_F(CopyJobTest, EditingTheFieldsDuringAMoveJobChangesNoRemotePath) {
    const std::string folder = makeFolder("src/photos");
    const std::string a = makeFile("src/photos/2023/a.jpg", "from 2023");
    const std::string b = makeFile("src/photos/2024/a.jpg", "from 2024");
    useFakeServer();
    setOptions(false, true, false, false, false);
    setSource(folder, "*.*", "/in");
    host().onLog = [&](const std::string& line) {
        if (line.find("Начал копироваться файл") != std::string::npos) {
            // A longer folder, a single file, another destination: none may reach the files still to come.
            host().sourceFolder = inFolder(folder, "2023");
            host().sourceFileName = "a.jpg";
            host().destination = "/elsewhere";
        }
    };
    startJob();
    std::map<std::string, std::string> stored;
    for (const auto& file : server_->stored())
        stored[file.argument] = file.content;
    EXPECT_EQ(stored, (std::map<std::string, std::string>{{"/in/photos/2023/a.jpg", "from 2023"},
                                                          {"/in/photos/2024/a.jpg", "from 2024"}}));
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
}

TEST_F(CopyJobTest, RelativeSourceFolderLeavesTheWorkingFolderAlone) {
    makeFile("src/data/sub/b.txt", "beta");
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path working = programFolder() + "src";
    std::filesystem::current_path(working);
    struct Back {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{before};
    useFakeServer();
    setSource("data", "*.*", "/in");
    startJobKeepingSources();
    EXPECT_EQ(storedNames(), Commands{"/in/data/sub/b.txt"});
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), working));
}

// The file picker fills in a name as it is; "a[1].txt" is that file, not a mask for "a1.txt".
TEST_F(CopyJobTest, SingleFileNameWithMaskCharactersIsThatFile) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a[1].txt", "literal");
    makeFile("src/data/a1.txt", "matched by the mask");
    useFakeServer();
    setSource(folder, "a[1].txt", "/in");
    startJobKeepingSources();
    ASSERT_EQ(server_->stored().size(), 1u);
    EXPECT_EQ(server_->stored()[0].argument, "/in//a[1].txt");
    EXPECT_EQ(server_->stored()[0].content, "literal");
}

TEST_F(CopyJobTest, FifoInTheTreeIsSkipped) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFO files";
#else
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Should the job open the FIFO for reading, a writer comes by to end its wait, and says so.
    std::atomic<bool> done{false}, opened{false};
    std::thread writer([&] {
        while (!done) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    useFakeServer();
    setOptions(false, false, true, false, false);
    setSource(folder, "*.*", "/in");
    startJobKeepingSources();
    done = true;
    writer.join();
    EXPECT_FALSE(opened);
    EXPECT_EQ(storedNames(), Commands{"/in/data/a.txt"});
    EXPECT_EQ(script_.texts().back(), QStringLiteral("Копирование завершено"));
#endif
}

// A line break in a file or folder name would end the command and send the rest as one of its own.
TEST_F(CopyJobTest, NameWithALineBreakFailsBeforeAnythingOfItIsSent) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names cannot hold line breaks";
#endif
    setOptions(false, true, false, false, false); // move mode: the source must stay all the same
    int run = 0;
    for (const char* name : {"x\r\nDELE victim.txt", "d\r\nDELE victim/a.txt"}) {
        const std::string folder = makeFolder("src/h" + std::to_string(++run));
        const std::string file = makeFile("src/h" + std::to_string(run) + "/" + name, "payload");
        server_ = std::make_unique<FakeFtpServer>();
        useFakeServer();
        script_.clear();
        setSource(folder, "*.*", "/in");
        startJob();
        EXPECT_EQ(script_.texts(), std::vector<QString>{QString::fromStdString("Ошибка копирования " + file)});
        EXPECT_EQ(logTexts().back(), ": ошибка копирования " + file);
        EXPECT_TRUE(exists(file));
        EXPECT_TRUE(server_->stored().empty());
        for (const std::string& command : server_->commands())
            EXPECT_EQ(command.find("DELE"), std::string::npos) << command;
        EXPECT_TRUE(idle());
    }
}

// Once every file is stored, a goodbye that cannot be sent (the server dropped the line) is no reason
// to skip the end steps.
TEST_F(CopyJobTest, FailingAbortOrQuitAtTheEndIsIgnored) {
    const std::string folder = makeFolder("src/data");
    const std::string marker = placePowerOffRecorder(0);
    setOptions(true, true, true, true, false);
    setSource(folder, "*.*", "/in");
    int failingSend = 0; // after the last transfer: FEAT (the move's size question), then ABOR, then QUIT
    onWorkEnd([&] { ftp::faults::FailNthCall(ftp::faults::SocketCall::Send, failingSend, 10054); });
    for (failingSend = 1; failingSend <= 3; ++failingSend) {
        server_ = std::make_unique<FakeFtpServer>();
        useFakeServer();
        script_.clear();
        std::filesystem::remove(marker);
        const std::string file = makeFile("src/data/a.txt", "alpha");
        {
            ftp::faults::ScopedFaults faults;
            startJob();
        }
        EXPECT_EQ(storedNames(), Commands{"/in/data/a.txt"}) << failingSend;
        EXPECT_TRUE(errors().empty()) << failingSend;
        EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Копирование завершено")}) << failingSend;
        EXPECT_FALSE(exists(file)) << failingSend; // stored and confirmed: moved
        EXPECT_EQ(script_.haltRequests(), failingSend) << failingSend;
        EXPECT_TRUE(idle()) << failingSend;
        EXPECT_TRUE(QTest::qWaitFor([&] { return exists(marker); }, 10000)) << failingSend;
    }
}

TEST_F(CopyJobTest, EndOptionsStartThePowerOffToolWithoutWaitingAndEndTheProgram) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    const std::string marker = placePowerOffRecorder(1000); // notes that it ran, a moment after it started
    useFakeServer();
    setOptions(true, false, false, true, true);
    setSource(folder, "*.*", "/in");
    QElapsedTimer clock;
    clock.start();
    startJobKeepingSources();
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_FALSE(exists(marker)); // the job did not wait for it
    EXPECT_EQ(script_.haltRequests(), 1);
    EXPECT_TRUE(host().inTray); // gone to the tray at the start, and left there
    EXPECT_TRUE(QTest::qWaitFor([&] { return exists(marker); }, 10000));
}

} // namespace
