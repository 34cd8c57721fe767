// "Проверка связи" over SFTP: a known host key goes on silently and the log says how the log-in went; a new one is
// asked about with the window in sight, and "Нет" ends the check without a second box.
#include "ReachFixture.h"

#include "tests/support/SshdServer.h"
#include "tests/support/TempFolder.h"

#include <QByteArray>
#include <filesystem>

using ferrylo::testing::SshdServer;
using namespace Qt::StringLiterals;

namespace {

using SftpCheck = ReachFixture;

TEST_F(SftpCheck, OverSshTheHostKeyIsKnownOrAskedAboutOnce) {
    if (const std::string why = SshdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    SshdServer server;
    const QByteArray savedHome = qgetenv("HOME");
    const std::filesystem::path ssh = std::filesystem::path(folder()) / "home" / ".ssh";
    std::filesystem::create_directories(ssh);
    std::filesystem::copy_file(server.clientKey(), ssh / "id_ed25519");
    qputenv("HOME", QByteArray::fromStdString((std::filesystem::path(folder()) / "home").string()));
    qunsetenv("SSH_AUTH_SOCK");
    const QString typed = QString::fromStdString(server.host() + ":" + std::to_string(server.port()));
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
        TempFolder::Put((ssh / "known_hosts").string(),
                        c.known ? "[127.0.0.1]:" + std::to_string(server.port()) + " " + server.hostKeyLine() + "\n"
                                : "");
        startHost(typed, 0, server.user(), "");
        host().sftp = true;
        script_.clear();
        script_.answer(c.answer);
        clickCheck();
        QStringList shown = shownTexts();
        for (QString& text : shown)
            text = text.section(u'\n', 0, 0);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(host().log.size(), c.known ? 2u : 1u);
        EXPECT_EQ(host().log.back().find("Вход на сервер SSH по ключу id_ed25519") != std::string::npos, c.known);
    }
    qputenv("HOME", savedHome);
}

} // namespace
