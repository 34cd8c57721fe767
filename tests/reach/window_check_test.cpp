// The check and the search through the main window: "Проверка связи" drives them with the window's
// fields, log, tray and settings commands, and the window stays alive while they wait.
#include "ReachWindowFixture.h"

#include "ftp/TIdFTP.h"
#include "reach/TForm7.h"
#include "settings/RecordFiles.h"
#include "shell/TJvTrayIcon.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

using ConnectionCheck = ReachWindowFixture;
using ServerSearch = ReachWindowFixture;
using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {
const QString kConnected = QStringLiteral("Связь есть");
} // namespace

TEST_F(ConnectionCheck, ReachableServerTwiceInARowByAddressAndByName) {
    PyFtpdServer server;
    startWith(QStringLiteral("127.0.0.1"), server.port(), server.user(), server.password());
    clickCheck();
    form().Edit4->setText(QStringLiteral("localhost"));
    clickCheck();

    EXPECT_EQ(logLines(), QStringList({u"Проверка связи с 127.0.0.1"_s, u"Проверка связи с 127.0.0.1"_s}));
    EXPECT_EQ(shownTexts(), QStringList({kConnected, kConnected}));
    EXPECT_FALSE(form().IdFTP1->IsOpen()) << "the check leaves the server again";
    EXPECT_EQ(form().IdFTP1->Port(), server.port()) << "the check keeps the client's port";
    EXPECT_FALSE(form().JvTrayIcon1->Active());
    EXPECT_FALSE(form().JvTrayIcon1->HiddenInTray());
    EXPECT_EQ(form().JvTrayIcon1->Hint(), u"Проверка связи с 127.0.0.1"_s);
    EXPECT_FALSE(Form7->isVisible());
}

TEST_F(ConnectionCheck, SilentServerFailsWithinTheBoundWhileTheWindowStaysAlive) {
    FakeFtpServer::Options options;
    options.greeting = ""; // accepts, never greets
    FakeFtpServer silent(options);
    startWith(QStringLiteral("127.0.0.1"), silent.port(), options.user, options.password);
    constexpr int kBoundMs = 1500;
    form().IdFTP1->ReplyTimeLimit = kBoundMs;
    form().JvTrayIcon1->setTrayAvailableProbe([] { return true; }); // really hidden, as on a desktop

    // Fires only when the message loop turns: counts the turns while the program sits in the tray
    // and, at the first, asks the main window to close.
    int turnsWhileHidden = 0;
    QTimer loop;
    QObject::connect(&loop, &QTimer::timeout, [&] {
        if (form().JvTrayIcon1->HiddenInTray() && turnsWhileHidden++ == 0)
            QCoreApplication::postEvent(&form(), new QCloseEvent);
    });
    loop.start(100);
    bool backBeforeTheQuestion = false;
    script_.onMessage([&](const ui::testing::Shown&) {
        backBeforeTheQuestion = !form().JvTrayIcon1->HiddenInTray() && !form().JvTrayIcon1->Active();
    });
    script_.answer(ui::Cancel);
    QElapsedTimer took;
    took.start();
    clickCheck();

    EXPECT_LT(took.elapsed(), kBoundMs + 1500);
    EXPECT_EQ(shownTexts(), QStringList({u"Связи c 127.0.0.1 нет , запустить сканер?"_s}));
    EXPECT_TRUE(backBeforeTheQuestion);
    EXPECT_GE(turnsWhileHidden, 5) << "the message loop turned during the wait";
    EXPECT_EQ(script_.haltRequests(), 1) << "the close request was served during the wait";
    EXPECT_FALSE(form().IdFTP1->IsOpen());
}

TEST_F(ServerSearch, FindsTheServerOnTheThirdAddressAndKeepsIt) {
    FakeFtpServer server(FakeFtpServer::Options::ListeningOn("127.0.0.3"));
    startWith(QStringLiteral("127.0.0.1"), server.port(), "tester", "secret");
    QStringList offered;
    whenSearchWindowShows([&offered](TForm7& window) {
        offered << window.Edit1->text() << window.Edit2->text() << window.StaticText2->text()
                << window.StaticText4->text();
        window.Edit2->setText(QStringLiteral("5"));
        offered << window.StaticText4->text(); // the preview follows every change
        window.Button1->click();
    });
    script_.answer(ui::Ok);  // search
    script_.answer(ui::Ok);  // keep 127.0.0.3
    script_.answer(ui::Yes); // and its password
    clickCheck();

    EXPECT_EQ(offered, QStringList({u"1"_s, u"10"_s, u"127.0.0.1"_s, u"127.0.0.10"_s, u"127.0.0.5"_s}));
    EXPECT_EQ(logLines(), QStringList({u"Проверка связи с 127.0.0.1"_s, u"Проверка связи с 127.0.0.1"_s,
                                       u"Проверка связи с 127.0.0.2"_s, u"Проверка связи с 127.0.0.3"_s}))
        << "each candidate is logged in order, and the search stops at the kept one";
    ASSERT_EQ(script_.shown().size(), 3u);
    const auto& found = script_.shown()[1];
    EXPECT_EQ(found.text, u"Связь Есть с 127.0.0.3, Сохранить адрес?"_s);
    EXPECT_EQ(found.caption, u"Вопрос"_s);
    EXPECT_EQ(found.icon, ui::MsgIcon::Warning);
    EXPECT_EQ(found.buttons, ui::Ok | ui::Cancel);
    EXPECT_EQ(script_.shown()[2].text, u"Сохранить пароль?"_s);

    TFtpSettings stored;
    DecodeFtpRecord(readFile(settingsFile(".MyIni")), stored);
    EXPECT_EQ(stored.Server, "127.0.0.3");
    EXPECT_EQ(stored.Login, "tester");
    EXPECT_EQ(form().Edit4->text(), u"127.0.0.3"_s);
    EXPECT_EQ(readFile(settingsFile(".inisearch")), "1|5\r\n");
    EXPECT_EQ(readFile(settingsFile(".path")), "/\r\n") << "the folder list is brought up to date";
    EXPECT_TRUE(server.waitForSessionEnd(std::chrono::seconds(5)));
    EXPECT_FALSE(form().IdFTP1->IsOpen());
}
