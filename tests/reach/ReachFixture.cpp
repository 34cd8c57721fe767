#include "ReachFixture.h"

#include "reach/ConnectionCheck.h"
#include "settings/Settings.h"
#include "ui/TLogView.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <memory>

const QString kNoServer = QStringLiteral("Не удалось найти сервер");

void FakeReachHost::CollectFtpSettings() {
    CurrentPassword = password;
    FillFtpSettings(FtpSettings, "/", server, login, password, true);
}

void FakeReachHost::SaveFtpSettings() {
    saved.push_back(FtpSettings.Server);
}

void ReachFixture::startHost(const QString& server, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    host_.reset();
    host_ = std::make_unique<FakeReachHost>();
    host_->server = server.toStdString();
    host_->login = user;
    host_->password = password;
    host_->ftp->SetPort(port);
    SetSettingsBase(folder() + "ferrylo");
}

void ReachFixture::startWith(const QString& server, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    start();
    form().Edit4->setText(server);
    form().Edit5->setText(QString::fromStdString(user));
    form().Edit6->setText(QString::fromStdString(password));
    form().IdFTP1->SetPort(port);
}

TReachHost& ReachFixture::reachHost() {
    if (host_)
        return *host_;
    return form();
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
    if (host_)
        ui::RunHandler([this] { reach::RunCheck(*host_); }); // as the window runs its handlers
    else
        form().Button1->click();
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
    if (host_) {
        QStringList lines;
        for (const std::string& line : host_->log)
            lines << QString::fromLocal8Bit(line);
        return lines;
    }
    const QString text = form().Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QStringList ReachFixture::shownTexts() const {
    QStringList texts;
    for (const QString& text : script_.texts())
        texts << text;
    return texts;
}
