// The connection check against servers on loopback addresses, run against the stand-in host.
#include "ReachFixture.h"

#include "ftp/TIdFTP.h"
#include "ftp/WaitSlices.h"
#include "reach/ConnectionCheck.h"
#include "reach/TForm7.h"
#include "shell/TJvTrayIcon.h"
#include "tests/support/FakeFtpServer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <stdexcept>

using namespace Qt::StringLiterals;

using ConnectionCheck = ReachFixture;
using ferrylo::testing::FakeFtpServer;

namespace {

// A client whose earlier connection cannot be closed: the goodbye itself fails.
class UnclosableFtp : public TIdFTP {
public:
    bool IsOpen() override { return true; }
    void AbortTransfer() override { throw std::runtime_error("Socket Error # 10054\r\nConnection reset by peer."); }
};

} // namespace

TEST_F(ConnectionCheck, FailedCheckLogsWhyAndOffersTheSearch) {
    const QString check = u"Проверка связи с 127.0.0.1"_s;
    const QString tick = u"Сервер требует шифрование: отметьте \"Шифрование (FTPS)\""_s;
    const struct {
        QString server;
        std::string password;
        const char* verb; // answered with `reply` instead of its rule
        const char* reply;
        QStringList log;
        QString hint; // shown before the question
    } cases[] = {
        {u"127.0.0.1"_s, "wrong", "", "", {check, check + u": Сервер отказал: 530 Login incorrect."_s}, {}},
        {u"127.0.0.1"_s,
         "secret",
         "USER",
         "530 Must use encryption.",
         {check, check + u": Сервер отказал: 530 Must use encryption."_s},
         tick},
        {u"127.0.0.1"_s,
         "secret",
         "USER",
         "550 SSL/TLS required on the control channel.",
         {check, check + u": Сервер отказал: 550 SSL/TLS required on the control channel."_s},
         tick},
        {QString(), "secret", "", "", {u"Проверка связи с "_s}, {}}, // nothing to try at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        FakeFtpServer server;
        if (*c.verb != '\0') {
            server.setReply(c.verb, c.reply);
        }
        startHost(c.server, server.port(), server.options().user, c.password);
        script_.clear();
        script_.answer(ui::Cancel);
        clickCheck();

        EXPECT_EQ(logLines(), c.log);
        ASSERT_EQ(script_.shown().size(), c.hint.isEmpty() ? 1u : 2u);
        if (!c.hint.isEmpty()) {
            EXPECT_EQ(script_.shown().front().text, c.hint);
        }
        const auto& question = script_.shown().back();
        // The "c" after "Связи" is a Latin letter; every other text uses the Cyrillic one.
        EXPECT_EQ(question.text, u"Связи c "_s + c.server + u" нет , запустить сканер?"_s);
        EXPECT_EQ(question.caption, u"Вопрос"_s);
        EXPECT_EQ(question.icon, ui::MsgIcon::Warning);
        EXPECT_EQ(question.buttons, ui::Ok | ui::Cancel);
        EXPECT_FALSE(host().search.isVisible()) << "Cancel starts no search";
        EXPECT_FALSE(host().ftp->IsOpen());
    }
}

TEST_F(ConnectionCheck, ConnectionLeftOpenIsClosedBeforeTheNextTest) {
    FakeFtpServer earlier(FakeFtpServer::Options::ListeningOn("127.0.0.1"));
    FakeFtpServer now(FakeFtpServer::Options::ListeningOn("127.0.0.2"));
    startHost(QString(), now.port(), "tester", "secret");
    // As a copy job would leave it: connected and logged in to the first server.
    TIdFTP& ftp = *host().ftp;
    ftp.SetHost("127.0.0.1");
    ftp.SetPort(earlier.port());
    ftp.Username = "tester";
    ftp.Password = "secret";
    ftp.ConnectAndLogIn(true, DefaultTimeLimit);
    ASSERT_TRUE(ftp.IsOpen());
    ftp.SetPort(now.port());

    EXPECT_TRUE(reach::TestConnection(host(), {"127.0.0.2", {}, "tester", "secret"}, {}));
    EXPECT_TRUE(ftp.IsOpen()) << "a successful test leaves the connection to its caller";
    ASSERT_TRUE(earlier.waitForSessionEnd(std::chrono::seconds(5)));
    const auto commands = earlier.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2], "ABOR");
    EXPECT_EQ(commands.back(), "QUIT");
    EXPECT_FALSE(host().tray.Active());
    EXPECT_EQ(host().tray.Hint(), u"Проверка связи с 127.0.0.2"_s);
    ftp.LeaveServer();
}

TEST_F(ConnectionCheck, DeadCandidateFailsFastAndQuietly) {
    // Nothing listens on this port of 127.0.0.2: the port of a server bound to 127.0.0.1 only.
    FakeFtpServer elsewhere(FakeFtpServer::Options::ListeningOn("127.0.0.1"));
    startHost(QStringLiteral("127.0.0.2"), elsewhere.port(), "tester", "secret");
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(reach::TestConnection(host(), {"127.0.0.2", {}, "tester", "secret"}, {}));
    const qint64 elapsed = took.elapsed();
    RecordProperty("dead_candidate_ms", static_cast<int>(elapsed));
    EXPECT_LT(elapsed, 2000);
    EXPECT_TRUE(script_.shown().empty()) << "a failed test shows nothing by itself";
    EXPECT_FALSE(host().ftp->IsOpen());
    EXPECT_FALSE(host().tray.Active());
    EXPECT_FALSE(host().tray.HiddenInTray());
}

TEST_F(ConnectionCheck, FailureToCloseEarlierConnectionIsShownWithTheProgramBack) {
    startHost(QStringLiteral("127.0.0.1"), 1, "tester", "secret");
    host().ftp = std::make_unique<UnclosableFtp>();
    clickCheck();

    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown().front().kind, ui::testing::Shown::Kind::Error);
    EXPECT_EQ(script_.shown().front().text, u"Socket Error # 10054\r\nConnection reset by peer."_s);
    EXPECT_FALSE(host().tray.Active());
    EXPECT_FALSE(host().tray.HiddenInTray());
    EXPECT_FALSE(host().checkRunning) << "a later check can start";
}

TEST_F(ConnectionCheck, RefusedWhileACopyRunsAndTouchesNothing) {
    FakeFtpServer server;
    startHost(QStringLiteral("127.0.0.1"), server.port(), server.options().user, server.options().password);
    host().copyIdle = false;
    clickCheck();

    EXPECT_EQ(shownTexts(), QStringList({u"Копирование уже идет"_s}));
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_FALSE(host().tray.Active());
    EXPECT_TRUE(host().tray.Hint().isEmpty());
    EXPECT_EQ(server.sessionCount(), 0u);
    EXPECT_FALSE(host().checkRunning);
}

// No network wait of the check is on the window's thread (its wait hook never runs there); the window's thread
// turns a loop of its own meanwhile (a timer of the window keeps firing while a slow server logs the check in).
TEST_F(ConnectionCheck, NetworkWaitsRunOffTheWindowsThread) {
    FakeFtpServer::Options slow;
    slow.replyDrip = std::chrono::milliseconds(5); // every reply a byte at a time
    FakeFtpServer server(slow);
    int windowWaits = 0;
    ftp::SetWaitSliceHook([&] { ++windowWaits; });
    startHost(QStringLiteral("localhost"), server.port(), "tester", "secret");
    int ticks = 0;
    QTimer window;
    QObject::connect(&window, &QTimer::timeout, [&] { ++ticks; });
    window.start(10);
    script_.answer(ui::Ok); // "Связь есть"
    clickCheck();
    ftp::SetWaitSliceHook({});

    EXPECT_EQ(shownTexts(), QStringList({u"Связь есть"_s}));
    EXPECT_EQ(windowWaits, 0);
    EXPECT_GE(ticks, 20) << "the window's loop turned while the log-in waited";
}
