// The server search offered by a failed connection check: its window, its range file and the
// candidates it tries, against the stand-in host (keeping a server is tried through the main window
// in window_check_test). Every candidate is a 127.0.0.x address.
#include "ReachFixture.h"

#include "ftp/TIdFTP.h"
#include "reach/TForm7.h"
#include "tests/support/FakeFtpServer.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

using ServerSearch = ReachFixture;
using ferrylo::testing::FakeFtpServer;

namespace {

const QString kScanQuestion = QStringLiteral("Связи c 127.0.0.1 нет , запустить сканер?");

QStringList checkLines(std::initializer_list<const char*> hosts) {
    QStringList lines;
    for (const char* host : hosts)
        lines << QStringLiteral("Проверка связи с ") + QString::fromLatin1(host);
    return lines;
}

} // namespace

TEST_F(ServerSearch, DeclinedServerIsLeftForTheNextCandidate) {
    FakeFtpServer server(FakeFtpServer::Options::ListeningOn("127.0.0.3"));
    startHost(QStringLiteral("127.0.0.1"), server.port(), "tester", "secret");
    writeFile(settingsFile(".inisearch"), "3|4\r\n");
    whenSearchWindowShows([](TForm7& window) { window.Button1->click(); });
    script_.answer(ui::Ok);
    script_.answer(ui::Cancel); // not this one
    clickCheck();

    EXPECT_EQ(logLines(), checkLines({"127.0.0.1", "127.0.0.3", "127.0.0.4"}));
    EXPECT_EQ(shownTexts(), QStringList({kScanQuestion, u"Связь Есть с 127.0.0.3, Сохранить адрес?"_s, kNoServer}));
    EXPECT_TRUE(host().kept.empty());
    EXPECT_TRUE(server.waitForSessionEnd(std::chrono::seconds(5))) << "the declined connection is closed";
    EXPECT_FALSE(host().ftp->IsOpen());
}

TEST_F(ServerSearch, RangesThatTryNothing) {
    const struct {
        const char* name;
        QString first, last;
        QString message;
        ui::testing::Shown::Kind kind;
        const char* stored;
    } cases[] = {
        {"reversed", u"10"_s, u"1"_s, kNoServer, ui::testing::Shown::Kind::Information, "10|1\r\n"},
        {"first not a number", u"x"_s, u"3"_s, u"'x' is not a valid integer value"_s, ui::testing::Shown::Kind::Error,
         "x|3\r\n"},
        {"last not an integer", u"1"_s, u"3.5"_s, u"'3.5' is not a valid integer value"_s,
         ui::testing::Shown::Kind::Error, "1|3.5\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startHost(QStringLiteral("127.0.0.1"), 1, "tester", "secret");
        script_.clear();
        script_.answer(ui::Ok);
        searchRange(c.first, c.last);
        clickCheck();

        EXPECT_EQ(logLines(), checkLines({"127.0.0.1"}));
        ASSERT_EQ(script_.shown().size(), 2u);
        EXPECT_EQ(script_.shown()[1].text, c.message);
        EXPECT_EQ(script_.shown()[1].kind, c.kind);
        EXPECT_EQ(readFile(settingsFile(".inisearch")), c.stored) << "the range is kept before it is used";
        EXPECT_FALSE(host().checkRunning);
    }
}

TEST_F(ServerSearch, CancelAndClosingTheWindowWriteAndTryNothing) {
    const struct {
        const char* name;
        std::function<void(TForm7&)> leave;
    } cases[] = {
        {"Отмена", [](TForm7& window) { window.Button2->click(); }},
        {"frame", [](TForm7& window) { window.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startHost(QStringLiteral("127.0.0.1"), 1, "tester", "secret");
        writeFile(settingsFile(".inisearch"), "4|6\r\n");
        script_.clear();
        script_.answer(ui::Ok);
        QStringList offered;
        whenSearchWindowShows([&](TForm7& window) {
            offered << window.Edit1->text() << window.Edit2->text() << window.StaticText2->text()
                    << window.StaticText4->text();
            window.Edit1->setText(QStringLiteral("1"));
            c.leave(window);
        });
        clickCheck();

        EXPECT_EQ(offered, QStringList({u"4"_s, u"6"_s, u"127.0.0.4"_s, u"127.0.0.6"_s}));
        EXPECT_EQ(logLines(), checkLines({"127.0.0.1"}));
        EXPECT_EQ(shownTexts(), QStringList({kScanQuestion}));
        EXPECT_EQ(readFile(settingsFile(".inisearch")), "4|6\r\n");
        EXPECT_FALSE(host().search.isVisible());
    }
}

TEST_F(ServerSearch, SecondCheckCannotStartWhileTheWindowIsOpen) {
    startHost(QStringLiteral("127.0.0.1"), 1, "tester", "secret");
    script_.answer(ui::Ok);
    int linesDuringSecondClick = -1;
    whenSearchWindowShows([&](TForm7& window) {
        clickCheck();
        linesDuringSecondClick = static_cast<int>(logLines().size());
        window.Button2->click();
    });
    clickCheck();

    EXPECT_EQ(linesDuringSecondClick, 1);
    EXPECT_EQ(shownTexts(), QStringList({kScanQuestion}));
    script_.answer(ui::Cancel); // "запустить сканер?" once more: no search this time
    clickCheck();               // and after the search window closed it starts again
    EXPECT_EQ(logLines().size(), 2);
}

TEST_F(ServerSearch, RangeFileThatCannotBeCreatedIsReportedAndTheSearchGoesOn) {
    startHost(QStringLiteral("127.0.0.1"), 1, "tester", "secret");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(settingsFile(".inisearch"))));
    script_.answer(ui::Ok);
    searchRange(QStringLiteral("2"), QStringLiteral("1"));
    clickCheck();

    EXPECT_EQ(shownTexts(), QStringList({kScanQuestion, u"Ошибка 70"_s, kNoServer}));
}

TEST_F(ServerSearch, TypedPortServesTheCheckAndEveryCandidate) {
    FakeFtpServer there(FakeFtpServer::Options::ListeningOn("127.0.0.3"));
    const std::string port = ":" + std::to_string(there.port()); // nothing answers on 127.0.0.1 there
    startHost(QString::fromStdString("127.0.0.1" + port), 1, "tester", "secret");
    script_.answer(ui::Ok); // "запустить сканер?"
    script_.answer(ui::Ok); // keep the server found
    searchRange(QStringLiteral("3"), QStringLiteral("3"));
    clickCheck();
    EXPECT_EQ(logLines(), checkLines({("127.0.0.1" + port).c_str(), ("127.0.0.3" + port).c_str()}));
    EXPECT_EQ(host().kept, std::vector<std::string>{"127.0.0.3" + port});
}
