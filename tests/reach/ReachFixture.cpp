#include "ReachFixture.h"

#include "ftp/TIdFTP.h"
#include "reach/TForm7.h"

#include "ui/TLogView.h"
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>

const QString kNoServer = QStringLiteral("Не удалось найти сервер");

void ReachFixture::startWith(const QString& server, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    start();
    form().Edit4->setText(server);
    form().Edit5->setText(QString::fromStdString(user));
    form().Edit6->setText(QString::fromStdString(password));
    form().IdFTP1->SetPort(port);
}

void ReachFixture::clickCheck() {
    // A search wait that never ends would hang the test: after a bound it is answered "Отмена"
    // and the test fails.
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] {
        if (Form7 != nullptr && Form7->SearchRequest == TForm7::srNotAnswered) {
            ADD_FAILURE() << "the search window's wait did not end";
            Form7->Button2Click();
        }
    });
    bound.start(10000);
    form().Button1->click();
}

void ReachFixture::whenSearchWindowShows(std::function<void(TForm7&)> action) {
    auto* poll = new QTimer(&form());
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, action] {
        if (Form7 != nullptr && Form7->isVisible()) {
            poll->stop();
            action(*Form7);
        } else if (waited->elapsed() > 5000) {
            poll->stop();
            ADD_FAILURE() << "the search window did not show";
            if (Form7 != nullptr)
                Form7->Button2->click(); // end the wait all the same
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
    const QString text = form().Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QStringList ReachFixture::shownTexts() const {
    QStringList texts;
    for (const QString& text : script_.texts())
        texts << text;
    return texts;
}

int ReachFixture::countShown(const QString& text) const {
    const QStringList texts = shownTexts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}
