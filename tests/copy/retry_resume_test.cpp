// Stopping a job, retrying a file after a failure that may pass, resuming it, and the size check of a
// move.
#include "CopyJobFixture.h"

#include "app/CopyJob.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"
#include "ui/TProgressBar.h"

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>
#include <utility>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {

class RetryResumeTest : public CopyJobFixture {
protected:
    // One file of `bytes`, to be moved (no question asked) to /in on the server at `port`.
    std::string moveOneFile(std::uint16_t port, const std::string& bytes) {
        const std::string file = makeFile("src/data/a.bin", bytes);
        pointAt("127.0.0.1", port, "tester", "secret");
        setOptions(false, true, false, false, false);
        setSource(makeFolder("src/data"), "*.*", "/in");
        host().log.clear();
        script_.clear();
        return file;
    }
    bool idle() { return host().CopyIdle && host().startEnabled && !host().stopEnabled && !host().timerRunning; }
};

TEST_F(RetryResumeTest, RefusalsThatMayPassAreTriedThreeTimesMoreTheOthersOnce) {
    for (const auto& [refusal, tries] :
         {std::pair{"451 Local error.", 4L}, {"426 Aborted.", 4L}, {"550 Denied.", 1L}}) {
        SCOPED_TRACE(refusal);
        FakeFtpServer server;
        server.setReply("STOR", refusal);
        const std::string file = moveOneFile(server.port(), "alpha");
        host().RetryWaitsMs = {1, 1, 1};
        startJob();
        const auto commands = server.commands();
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](auto& c) { return c.rfind("STOR", 0) == 0; }),
                  tries);
        EXPECT_EQ(logged(": Повтор "), tries - 1);
        EXPECT_EQ(logged(": Повтор 3 из 3: " + file), tries > 1 ? 1 : 0);
        EXPECT_EQ(script_.texts(), std::vector<QString>{QString::fromStdString("Ошибка копирования " + file)});
        EXPECT_TRUE(exists(file) && idle());
    }
}

TEST_F(RetryResumeTest, StopEndsTheJobWithoutItsEndStepsAndKeepsTheSource) {
    // Stopped inside an upload, inside the wait before a retry (the window still serving its timers), and
    // while the retry waits for a reply that never comes (its bound is longer than the test may run).
    enum When { Upload, Wait, Reply };
    for (const When when : {Upload, Wait, Reply}) {
        SCOPED_TRACE(when);
        host().ftp.OnWork = nullptr;
        host().ftp.OnWorkEnd = nullptr;
        FakeFtpServer::Options options;
        options.keepStoredBytes = false;
        options.dataDropAfterBytes = when == Upload ? 0 : 1;
        FakeFtpServer server(options);
        const std::string file = moveOneFile(server.port(), std::string(8 << 20, 'x'));
        setOptions(false, true, true, true, false);
        host().RetryWaitsMs = {when == Wait ? 60000 : 1, 60000, 60000};
        host().ftp.ReplyTimeLimit = when == Reply ? 600000 : 60000;
        bool enabledWhileUploading = false;
        std::thread stopper;
        host().onLog = [&](const std::string& line) {
            if (line.find("Начал копироваться файл") != std::string::npos)
                enabledWhileUploading = host().stopEnabled;
        };
        onWork([&](std::int64_t) {
            server.stallOn("FEAT"); // the retry's question about resuming (the log-in may have asked it too)
            if (when == Upload)
                copyjob::Stop(host());
        });
        onWorkEnd([&] { // the dropped upload has ended: the wait, then the retry come next
            if (when != Upload && !stopper.joinable()) {
                stopper = std::thread([this, when] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(when == Wait ? 100 : 300));
                    copyjob::Stop(host());
                });
            }
        });
        startJob();
        if (stopper.joinable())
            stopper.join();

        EXPECT_TRUE(enabledWhileUploading);
        EXPECT_EQ(logTexts().back(), ": Копирование остановлено");
        EXPECT_EQ(logged(": Повтор "), when == Reply ? 1 : 0);
        EXPECT_TRUE(exists(file) && idle());
        EXPECT_TRUE(script_.texts().empty()) << "no failure message, no completion message";
        EXPECT_EQ(script_.haltRequests(), 0);
        if (when == Upload) {
            ASSERT_TRUE(server.waitForSessionEnd(std::chrono::seconds(5)));
            const auto commands = server.commands();
            const auto abort = std::find(commands.begin(), commands.end(), "ABOR");
            ASSERT_TRUE(abort != commands.end() && abort != commands.begin());
            EXPECT_EQ((abort - 1)->rfind("STOR", 0), 0u) << "the transfer was aborted as it ran";
        }
    }
}

TEST_F(RetryResumeTest, DroppedUploadIsSentWholeAgainToAServerThatCannotResume) {
    // A server that lists no features, and one that lists REST STREAM but then refuses REST.
    for (const char* features : {"", "211-Features:\r\n REST STREAM\r\n SIZE\r\n211 End"}) {
        SCOPED_TRACE(features);
        FakeFtpServer::Options options;
        options.dataDropAfterBytes = 100000;
        options.dataDropOnce = true;
        FakeFtpServer server(options);
        if (*features) {
            server.setReply("FEAT", features);
            server.setReply("SIZE", "213 100000");
            server.setReply("REST", "502 Not now.");
        }
        const std::string bytes(300000, 'r');
        const std::string file = moveOneFile(server.port(), bytes);
        setOptions(false, false, false, false, false);
        script_.answer(ui::No); // keep the source: the scripted server's SIZE says nothing true
        host().RetryWaitsMs = {1, 1, 1};
        host().ftp.FollowUpTimeLimit = 100; // the scripted server sends nothing after its 426
        startJob();

        const auto stored = server.stored();
        ASSERT_EQ(stored.size(), 2u);
        EXPECT_TRUE(stored[1].content == bytes);
        EXPECT_EQ(stored[1].verb, "STOR");
        EXPECT_EQ(logged(": Повтор "), 1);
        EXPECT_EQ(logged(": Сервер не позволил докачку"), *features ? 1 : 0);
        EXPECT_EQ(logTexts().back(), ": Скопирован файл " + file);
    }
}

TEST_F(RetryResumeTest, UploadDroppedHalfwayIsResumedByteForByte) {
    std::string bytes(3 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive);
        host().ftp.OnWorkBegin = nullptr;
        host().ftp.OnWork = nullptr;
        host().ftp.OnWorkEnd = nullptr;
        PyFtpdServer server;
        const std::string file = moveOneFile(server.port(), bytes);
        const std::string stored = (server.root() / "in" / "data" / "a.bin").string();
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().ftp.Passive = passive;
        host().RetryWaitsMs = {1, 1, 1};
        ftp::faults::ScopedFaults faults;
        bool dropped = false, settled = false;
        std::int64_t announced = 0; // by the last store: a resumed one announces only the rest
        onWorkBegin([&](std::int64_t max) { announced = max; });
        onWork([&](std::int64_t sent) { // the line goes with a reset in the middle of the file
            if (!std::exchange(dropped, dropped || sent > (1 << 20)) && dropped)
                ftp::faults::FailNthCall(ftp::faults::SocketCall::Send, 1, 10054);
        });
        onWorkEnd([&] { // bytes on their way still arrive: the retry asks for the size once they have
            std::uintmax_t last = 0;
            if (dropped && !std::exchange(settled, true)) {
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] {
                        QTest::qWait(100);
                        const std::uintmax_t now = exists(stored) ? std::filesystem::file_size(stored) : 0;
                        return std::exchange(last, now) == now && now > 0;
                    },
                    10000));
            }
        });
        startJob();

        EXPECT_TRUE(readFile(stored) == bytes) << server.log();
        EXPECT_LT(announced, static_cast<std::int64_t>(bytes.size())) << "only the rest went again";
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
        EXPECT_TRUE(!exists(file) && script_.texts().empty());
    }
}

// A real server cuts the first upload early, then answers the retry's SIZE as given: a resume never starts past
// what this client sent, so whatever the answer, the stored file is the source byte for byte, and a move deletes
// the source only then.
TEST_F(RetryResumeTest, ServerSizeIsBelievedOnlyAsFarAsTheFileWasSent) {
    const std::int64_t fileBytes = 16 << 20;
    std::string bytes(static_cast<std::size_t>(fileBytes), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    const char* const noSize = ": Сервер не сообщил размер своей копии, файл копируется с начала : ";
    const char* const moreThanSent = ": Сервер сообщил о копии больше отправленного, файл копируется с начала : ";
    const struct {
        std::string size;
        std::int64_t resumedAt;
        const char* logged;
    } answers[] = {
        {std::to_string(fileBytes - 1), 0, moreThanSent}, // more than the client ever sent
        {std::to_string(fileBytes + 5), 0, moreThanSent}, // beyond the file
        {"1000", 1000, nullptr},                          // less than arrived: resumed there
        {"abc", 0, noSize},
        {"-5", 0, noSize},
        {"99999999999999999999", 0, noSize},
    };
    for (const auto& answer : answers) {
        for (const bool moving : {true, false}) {
            SCOPED_TRACE(answer.size + (moving ? " moving" : " copying"));
            PyFtpdServer server(PyFtpdServer::Tls::Off, 0,
                                {.dropAtBytes = 512 << 10, .firstSizeAfterDrop = answer.size});
            const std::string file = moveOneFile(server.port(), bytes);
            pointAt(server.host(), server.port(), server.user(), server.password());
            setOptions(false, moving, false, false, false);
            if (!moving)
                script_.answer(ui::No);
            host().RetryWaitsMs = {1, 1, 1};
            host().ftp.Passive = true;
            host().ftp.SendBufferSize = 65536; // little of the file waits in the client's buffers at the drop
            std::int64_t announced = 0;        // by the last store: a resumed one announces only the rest
            host().ftp.OnWorkBegin = nullptr;
            onWorkBegin([&](std::int64_t max) { announced = max; });
            startJob();

            EXPECT_TRUE(readFile(server.root() / "in" / "data" / "a.bin") == bytes) << server.log();
            EXPECT_EQ(fileBytes - announced, answer.resumedAt);
            EXPECT_EQ(logged(answer.logged ? answer.logged + file : ": Сервер "), answer.logged ? 1 : 0);
            EXPECT_EQ(exists(file), !moving);
            EXPECT_EQ(logTexts().back(), ": Скопирован файл " + file);
        }
    }
}

// A stock server may list REST STREAM and still refuse a store after REST: the file goes whole at once, on the
// same connection, without spending a retry.
TEST_F(RetryResumeTest, RefusedResumeSendsTheWholeFile) {
    const std::string bytes(4 << 20, 'w');
    PyFtpdServer server(PyFtpdServer::Tls::Off, 0,
                        {.dropAtBytes = 256 << 10, .firstSizeAfterDrop = {}, .refuseRestartedStore = true});
    const std::string file = moveOneFile(server.port(), bytes);
    pointAt(server.host(), server.port(), server.user(), server.password());
    host().RetryWaitsMs = {1, 1, 1};
    host().ftp.Passive = true;
    startJob();

    EXPECT_TRUE(readFile(server.root() / "in" / "data" / "a.bin") == bytes) << server.log();
    EXPECT_EQ(logged(": Сервер не позволил докачку, файл копируется с начала : " + file), 1);
    EXPECT_EQ(logged(": Повтор "), 1);
    EXPECT_TRUE(!exists(file) && script_.texts().empty());
}

TEST_F(RetryResumeTest, MoveDeletesOnlyWhenTheServersSizeMatches) {
    for (const char* size : {"213 5", "213 4", "550 No size."}) {
        SCOPED_TRACE(size);
        FakeFtpServer server;
        server.setReply("FEAT", "211-Features:\r\n MDTM\r\n SIZE\r\n211 End");
        server.setReply("SIZE", size);
        const std::string file = moveOneFile(server.port(), "alpha");
        startJob();
        const bool matches = std::string(size) == "213 5";
        EXPECT_EQ(exists(file), !matches);
        EXPECT_EQ(logTexts().back().rfind(matches ? ": Скопирован файл " : ": ошибка копирования ", 0), 0u);
    }
}

} // namespace
