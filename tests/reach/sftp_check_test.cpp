// "Проверка связи" over SFTP: a known host key goes on silently and the log says how the log-in went; a new one is
// asked about with the window in sight, and "Нет" ends the check without a second box. The search over SSH offers
// only a server whose host key is known.
#include "ReachFixture.h"

#include "reach/TForm7.h"
#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"

#include <QByteArray>
#include <QPushButton>
#include <filesystem>
#include <functional>
#include <memory>

using ferrylo::testing::SshdServer;
using namespace Qt::StringLiterals;

namespace {

class SftpCheck : public ReachFixture {
protected:
    void SetUp() override {
        if (const std::string why = SshdServer::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        server_ = std::make_unique<SshdServer>();
        savedHome_ = qgetenv("HOME");
        std::filesystem::create_directories(ssh());
        std::filesystem::copy_file(server_->clientKey(), ssh() / "id_ed25519");
        qputenv("HOME", QByteArray::fromStdString((std::filesystem::path(folder()) / "home").string()));
        qunsetenv("SSH_AUTH_SOCK");
    }
    void TearDown() override {
        if (server_)
            qputenv("HOME", savedHome_);
    }
    std::filesystem::path ssh() const { return std::filesystem::path(folder()) / "home" / ".ssh"; }
    std::string port() const { return std::to_string(server_->port()); }
    void knowTheKey(bool known) {
        TempFolder::Put((ssh() / "known_hosts").string(),
                        known ? "[127.0.0.1]:" + port() + " " + server_->hostKeyLine() + "\n" : "");
    }
    // The check over SSH of `typed`, with `answers` to its boxes; `ready` runs once the host is set up.
    void check(const std::string& typed, std::initializer_list<ui::MsgButton> answers,
               const std::function<void()>& ready = {}) {
        startHost(QString::fromStdString(typed), 0, server_->user(), "");
        host().sftp = true;
        if (ready)
            ready();
        script_.clear();
        for (const ui::MsgButton answer : answers)
            script_.answer(answer);
        clickCheck();
    }

    std::unique_ptr<SshdServer> server_;
    QByteArray savedHome_;
};

TEST_F(SftpCheck, TheHostKeyIsKnownOrAskedAboutOnce) {
    const QString typed = QString::fromStdString("127.0.0.1:" + port());
    const struct {
        bool known;
        ui::MsgButton answer; // to the question about a new key
        QStringList shown;
    } cases[] = {
        {true, ui::Ok, {u"Связь есть"_s}},
        {false, ui::No, {u"Ключ сервера "_s + typed + u" еще неизвестен."_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.known);
        knowTheKey(c.known);
        check(typed.toStdString(), {c.answer});
        QStringList shown = shownTexts();
        for (QString& text : shown)
            text = text.section(u'\n', 0, 0);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(host().log.size(), c.known ? 2u : 1u);
        EXPECT_EQ(host().log.back().find("Вход на сервер SSH по ключу id_ed25519") != std::string::npos, c.known);
    }
}

TEST_F(SftpCheck, TheSearchOffersAServerWhoseKeyIsKnown) {
    knowTheKey(true);
    check("127.0.0.2:" + port(), {ui::Ok, ui::Ok}, [this] { // nothing there: search, and keep what it finds
        writeFile(settingsFile(".inisearch"), "1|1\r\n");
        whenSearchWindowShows([](TForm7& window) { window.Button1->click(); });
    });
    EXPECT_EQ(host().kept, std::vector<std::string>{"127.0.0.1:" + port()});
}

} // namespace
