// Stopping a job, retrying a file after a failure that may pass, resuming it, the size check of a
// move and a server typed with its port.
#include "CopyJobFixture.h"

#include "copy/CopyJob.h"
#include "copy/UploadFailure.h"
#include "ftp/FileStream.h"
#include "ftp/IdExceptions.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "shell/SiblingFiles.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"
#include "ui/TProgressBar.h"

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <tuple>
#include <utility>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {

class RetryResumeTest : public CopyJobFixture {
protected:
    // One file of `bytes`, to be moved (no question asked) to /in on the server at `port`.
    std::string moveOneFile(std::uint16_t port, const std::string& bytes) {
        const std::string folder = makeFolder("src/data");
        const std::string file = makeFile("src/data/a.bin", bytes);
        pointAt("127.0.0.1", port, "tester", "secret");
        setOptions(false, true, false, false, false);
        setSource(folder, "*.*", "/in");
        return file;
    }
    long count(const std::string& prefix) const {
        const auto log = logTexts();
        return std::count_if(log.begin(), log.end(),
                             [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }
    static long storesIn(const std::vector<std::string>& commands) {
        return std::count_if(commands.begin(), commands.end(),
                             [](const std::string& c) { return c.rfind("STOR", 0) == 0; });
    }
    bool idle() { return host().CopyIdle && host().startEnabled && !host().stopEnabled && !host().timerRunning; }
};

TEST(UploadFailureKinds, OnlyWhatMayPassIsRetried) {
    using copyjob::TUploadFailure;
    const std::pair<std::exception_ptr, TUploadFailure> cases[] = {
        {std::make_exception_ptr(EIdProtocolReplyError(421, "")), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdProtocolReplyError(426, "")), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdProtocolReplyError(450, "")), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdProtocolReplyError(451, "")), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdSocketError(10054)), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdSocketError(10060)), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdConnClosedGracefully()), TUploadFailure::MayPass},
        {std::make_exception_ptr(EIdProtocolReplyError(530, "")), TUploadFailure::WillLast},
        {std::make_exception_ptr(EIdProtocolReplyError(550, "")), TUploadFailure::WillLast},
        {std::make_exception_ptr(EIdProtocolReplyError(553, "")), TUploadFailure::WillLast},
        {std::make_exception_ptr(EReadError("Cannot read file")), TUploadFailure::WillLast},
        {std::make_exception_ptr(EIdUnsafeCommand()), TUploadFailure::WillLast},
    };
    for (const auto& [failure, kind] : cases)
        EXPECT_EQ(copyjob::ClassifyUploadFailure(failure), kind) << &failure - &cases[0].first;
}

TEST_F(RetryResumeTest, RefusalsThatMayPassAreTriedThreeTimesMoreTheOthersOnce) {
    const std::pair<const char*, long> cases[] = {{"451 Local error.", 4}, {"426 Aborted.", 4}, {"550 Denied.", 1}};
    for (const auto& [refusal, stores] : cases) {
        SCOPED_TRACE(refusal);
        FakeFtpServer server;
        server.setReply("STOR", refusal);
        const std::string file = moveOneFile(server.port(), "alpha");
        host().RetryWaitsMs = {1, 1, 1};
        host().log.clear();
        script_.clear();
        startJob();
        EXPECT_EQ(storesIn(server.commands()), stores);
        EXPECT_EQ(count(": Повтор "), stores - 1);
        if (stores > 1) {
            EXPECT_EQ(logTexts()[3], ": Повтор 2 из 3: " + file);
        }
        EXPECT_EQ(script_.texts(), std::vector<QString>{QString::fromStdString("Ошибка копирования " + file)});
        EXPECT_TRUE(exists(file));
        EXPECT_TRUE(idle());
    }
}

TEST_F(RetryResumeTest, StopEndsTheJobWithoutItsEndStepsAndKeepsTheSource) {
    const std::string marker = programFolder() + "powered-off";
    const std::string recorder = makeFile("Files/Vesperal", "#!/bin/sh\necho ran > '" + marker + "'\n");
    std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
    ASSERT_EQ(PowerOffToolPath(), recorder); // never the real tool
    const auto displaysOwn = std::make_pair(host().ftp.OnWork, host().ftp.OnWorkEnd);
    // Stopped inside an upload, inside the wait before a retry (the window still serving its timers), and
    // while the retry waits for a reply that never comes (its bound is longer than the test may run).
    enum When { Upload, Wait, Reply };
    for (const When when : {Upload, Wait, Reply}) {
        SCOPED_TRACE(when);
        std::tie(host().ftp.OnWork, host().ftp.OnWorkEnd) = displaysOwn;
        FakeFtpServer::Options options;
        options.keepStoredBytes = false;
        options.dataDropAfterBytes = when == Upload ? 0 : 1;
        FakeFtpServer server(options);
        server.stallOn("FEAT"); // the retry's question about resuming
        const std::string file = moveOneFile(server.port(), std::string(8 << 20, 'x'));
        setOptions(true, true, true, true, false);
        host().RetryWaitsMs = {when == Wait ? 60000 : 1, 60000, 60000};
        host().ftp.ReplyTimeLimit = when == Reply ? 600000 : 60000;
        host().log.clear();
        bool enabledWhileUploading = false;
        onWork([&](std::int64_t) {
            enabledWhileUploading = host().stopEnabled;
            if (when == Upload)
                copyjob::Stop(host());
        });
        onWorkEnd([&] { // the dropped upload has ended: the wait, then the retry come next
            if (when != Upload)
                QTimer::singleShot(when == Wait ? 100 : 300, [this] { copyjob::Stop(host()); });
        });
        startJob();

        EXPECT_TRUE(enabledWhileUploading);
        EXPECT_EQ(logTexts().back(), ": Копирование остановлено");
        EXPECT_EQ(count(": Повтор "), when == Reply ? 1 : 0);
        EXPECT_TRUE(exists(file));
        EXPECT_TRUE(script_.texts().empty()) << "no failure message, no completion message";
        EXPECT_EQ(script_.haltRequests(), 0);
        EXPECT_TRUE(idle());
        EXPECT_FALSE(host().ftp.IsOpen());
        if (when == Upload) {
            ASSERT_TRUE(server.waitForSessionEnd(std::chrono::seconds(5))) << "the stopped job leaves the server";
            const auto commands = server.commands();
            const auto abort = std::find(commands.begin(), commands.end(), "ABOR");
            ASSERT_NE(abort, commands.end());
            EXPECT_EQ((abort - 1)->rfind("STOR", 0), 0u) << "the transfer was aborted as it ran";
        }
    }
    QTest::qWait(300); // a power-off tool started by mistake would have written by now
    EXPECT_FALSE(exists(marker));
}

TEST_F(RetryResumeTest, DroppedUploadIsSentWholeAgainToAServerThatCannotResume) {
    FakeFtpServer::Options options;
    options.dataDropAfterBytes = 100000;
    options.dataDropOnce = true;
    FakeFtpServer server(options); // answers FEAT with 502
    const std::string bytes(300000, 'r');
    const std::string file = moveOneFile(server.port(), bytes);
    host().RetryWaitsMs = {1, 1, 1};
    host().ftp.FollowUpTimeLimit = 100; // the scripted server sends nothing after its 426
    startJob();

    const auto stored = server.stored();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_TRUE(stored[1].content == bytes);
    const auto commands = server.commands();
    EXPECT_TRUE(
        std::none_of(commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("REST", 0) == 0; }));
    EXPECT_EQ(logTexts()[2], ": Повтор 1 из 3: " + file);
    EXPECT_FALSE(exists(file)) << "stored whole and confirmed: moved";
}

TEST_F(RetryResumeTest, UploadDroppedHalfwayIsResumedByteForByte) {
    std::string bytes(3 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    const auto displaysOwn = std::make_pair(host().ftp.OnWork, host().ftp.OnWorkEnd);
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        std::tie(host().ftp.OnWork, host().ftp.OnWorkEnd) = displaysOwn;
        PyFtpdServer server;
        const std::string file = moveOneFile(server.port(), bytes);
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().ftp.Passive = passive;
        host().RetryWaitsMs = {1, 1, 1};
        ftp::faults::ScopedFaults faults;
        bool dropped = false;
        onWork([&](std::int64_t sent) {
            if (!dropped && sent > (1 << 20)) // the line goes with a reset in the middle of the file
                ftp::faults::FailNthCall(ftp::faults::SocketCall::Send, 1, 10054);
            dropped = dropped || sent > (1 << 20);
        });
        // Bytes already on their way still reach the server after the drop: the retry asks for its size
        // once it has written them all.
        const std::string stored = (server.root() / "in" / "data" / "a.bin").string();
        bool settled = false;
        onWorkEnd([&] {
            if (!dropped || std::exchange(settled, true))
                return;
            std::uintmax_t last = 0;
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const std::uintmax_t now = exists(stored) ? std::filesystem::file_size(stored) : 0;
                    QTest::qWait(100);
                    return std::exchange(last, now) == now && now > 0;
                },
                10000));
        });
        startJob();

        EXPECT_TRUE(readFile(stored) == bytes) << server.log();
        EXPECT_GT(host().ResumedBytes, 0) << "only the rest went again";
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
        EXPECT_FALSE(exists(file));
        EXPECT_TRUE(script_.texts().empty());
    }
}

TEST_F(RetryResumeTest, MoveDeletesOnlyWhenTheServersSizeMatches) {
    for (const char* size : {"213 5", "213 4", "550 No size."}) {
        SCOPED_TRACE(size);
        FakeFtpServer server;
        server.setReply("FEAT", "211-Features:\r\n MDTM\r\n SIZE\r\n211 End");
        server.setReply("SIZE", size);
        const std::string file = moveOneFile(server.port(), "alpha");
        script_.clear();
        startJob();
        const bool matches = std::string(size) == "213 5";
        EXPECT_EQ(exists(file), !matches);
        EXPECT_EQ(script_.texts().empty(), matches);
        EXPECT_EQ(logTexts().back().rfind(matches ? ": Скопирован файл " : ": ошибка копирования ", 0), 0u);
    }
}

TEST_F(RetryResumeTest, ServerTypedWithItsPortIsReachedThere) {
    FakeFtpServer server;
    const std::string file = moveOneFile(UnusedLoopbackPort(), "alpha");
    host().server = "127.0.0.1:" + std::to_string(server.port());
    startJob();
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].content, "alpha");

    script_.clear();
    host().server = "127.0.0.1:0"; // no port: no connection
    makeFile("src/data/a.bin", "alpha");
    startJob();
    EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Нет связи")});
}

} // namespace
