#include "ReachWindowFixture.h"

#include "ui/TLogView.h"

#include <QLineEdit>
#include <QPushButton>

void ReachWindowFixture::startWith(const QString& server, std::uint16_t port, const std::string& user,
                                   const std::string& password) {
    forms_.reset();
    forms_ = std::make_unique<FormSet>(TStartup{dir_.filePath(QStringLiteral("ferrylo")), {}});
    form().Edit4->setText(server);
    form().Edit5->setText(QString::fromStdString(user));
    form().Edit6->setText(QString::fromStdString(password));
    form().IdFTP1->DefaultPort = port;
}

void ReachWindowFixture::runCheck() {
    form().Button1->click();
}

QStringList ReachWindowFixture::logLines() {
    const QString text = form().Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}
