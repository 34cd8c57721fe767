#include "ReachFixture.h"

#include "reach/ConnectionCheck.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <memory>
#include <sstream>

const QString kNoServer = QStringLiteral("Не удалось найти сервер");

void ReachFixture::startHost(const QString& server, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    host_.reset();
    host_ = std::make_unique<FakeReachHost>();
    host_->server = server.toStdString();
    host_->login = user;
    host_->password = password;
    host_->ftp->DefaultPort = port;
    SetSettingsBase(folder() + "ferrylo");
}

void ReachFixture::clickCheck() {
    // A search wait that never ends would hang the test: after a bound it is answered "Отмена"
    // and the test fails.
    TForm7* window = reachHost().SearchWindow();
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [window] {
        if (window->SearchRequest == TForm7::srNotAnswered) {
            ADD_FAILURE() << "the search window's wait did not end";
            window->Button2Click();
        }
    });
    bound.start(10000);
    runCheck();
}

void ReachFixture::runCheck() {
    ui::RunHandler([this] { reach::RunCheck(*host_); }); // as the window runs its handlers
}

void ReachFixture::whenSearchWindowShows(std::function<void(TForm7&)> action) {
    TForm7* window = reachHost().SearchWindow();
    auto* poll = new QTimer(window);
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, action, window] {
        if (window->isVisible()) {
            poll->stop();
            action(*window);
        } else if (waited->elapsed() > 5000) {
            poll->stop();
            ADD_FAILURE() << "the search window did not show";
            window->Button2->click(); // end the wait all the same
        } else {
            return;
        }
        poll->deleteLater();
    });
    poll->start(5);
}

void ReachFixture::searchRange(const QString& first, const QString& last) {
    whenSearchWindowShows([first, last](TForm7& window) {
        window.Edit1->setText(first);
        window.Edit2->setText(last);
        window.Button1->click();
    });
}

QStringList ReachFixture::logLines() {
    QStringList lines;
    for (const std::string& line : host_->log)
        lines << QString::fromStdString(line); // kept as UTF-8
    return lines;
}

QStringList ReachFixture::shownTexts() const {
    QStringList texts;
    for (const QString& text : script_.texts())
        texts << text;
    return texts;
}

std::string ReachFixture::folder() const {
    return dir_.path().toStdString() + "/";
}

std::string ReachFixture::settingsFile(const char* suffix) const {
    return folder() + "ferrylo" + suffix;
}

void ReachFixture::writeFile(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReachFixture::readFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
