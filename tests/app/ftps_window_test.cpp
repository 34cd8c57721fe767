// The "Шифрование (FTPS)" box and its line in ".ftps", and the certificate question as the connection check meets
// it: No leaves no connection, Yes is remembered, a changed certificate is refused.
#include "MainWindowFixture.h"

#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "tests/support/PyFtpdServer.h"
#include "ui/TLogView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using ferrylo::testing::PyFtpdServer;
using FtpsWindow = MainWindowFixture;

namespace {

const QString kQuestionStart = QStringLiteral("Сертификат сервера не подтвержден. Отпечаток SHA-256: ");

TEST_F(FtpsWindow, BoxIsOffWithoutTheFileAndSavedBesideTheOthersKeepingTheRest) {
    start();
    EXPECT_FALSE(form().CheckBox3->isChecked());
    EXPECT_FALSE(form().IdFTP1->UseTLS);
    EXPECT_FALSE(exists(settingsFile(".ftps")));

    writeFile(settingsFile(".ftps"), "certificate=AA:BB 127.0.0.1\r\n");
    form().CheckBox3->click();
    EXPECT_TRUE(form().IdFTP1->UseTLS);
    form().Button3->click();
    EXPECT_EQ(readFile(settingsFile(".ftps")), "ftps=1\r\ncertificate=AA:BB 127.0.0.1\r\n");
    EXPECT_EQ(readFile(settingsFile(".MyIni")).size(), 1025u); // the record keeps its exact shape

    writeFile(settingsFile(".ftps"), readFile(settingsFile(".ftps")) + "known_folders=1\r\nparallel_uploads=4\r\n");
    start(); // the next run reads it, the options window's box and count too, and the job sees them
    EXPECT_TRUE(form().CheckBox3->isChecked());
    EXPECT_TRUE(form().IdFTP1->UseTLS);
    EXPECT_TRUE(Form2->CheckBox6->isChecked());
    EXPECT_EQ(form().Options().ParallelUploads, 4);
}

TEST_F(FtpsWindow, CheckAsksOnceRemembersYesAndRefusesAChangedCertificate) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    start();
    form().Edit4->setText(QStringLiteral("127.0.0.1"));
    form().Edit5->setText(QString::fromStdString(server.user()));
    form().Edit6->setText(QString::fromStdString(server.password()));
    form().CheckBox3->click();
    form().IdFTP1->DefaultPort = server.port();

    // No: no connection, nothing remembered; the check goes on as for a server that does not answer.
    script_.answer(ui::No);
    script_.answer(ui::Cancel); // "Связи c … нет , запустить сканер?"
    form().Button1->click();
    ASSERT_GE(script_.texts().size(), 2u);
    EXPECT_TRUE(script_.texts()[0].startsWith(kQuestionStart)) << script_.texts()[0].toStdString();
    EXPECT_TRUE(script_.texts()[0].endsWith(QStringLiteral(" Доверять этому серверу?")));
    EXPECT_TRUE(script_.texts()[1].startsWith(QStringLiteral("Связи c 127.0.0.1 нет")));
    EXPECT_FALSE(exists(settingsFile(".ftps")));

    // Yes: connected, and the fingerprint is kept for this server.
    script_.clear();
    script_.answer(ui::Yes);
    form().Button1->click();
    ASSERT_EQ(script_.texts().size(), 2u);
    EXPECT_EQ(script_.texts()[1], QStringLiteral("Связь есть"));
    const QString fingerprint = script_.texts()[0].mid(kQuestionStart.size()).section(QLatin1Char(' '), 0, 0);
    EXPECT_EQ(QString::fromStdString(readFile(settingsFile(".ftps"))),
              QStringLiteral("certificate=") + fingerprint + QStringLiteral(" 127.0.0.1\r\n"));
    EXPECT_TRUE(form().Memo1->toPlainText().contains(
        QStringLiteral("Проверка связи с 127.0.0.1: Шифрованное соединение (TLS 1.")));

    // The next connection asks nothing (an unprimed question would fail the test).
    script_.clear();
    form().Button1->click();
    EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Связь есть")});

    // Another certificate for the same server is refused, with the change named.
    PyFtpdServer impostor(PyFtpdServer::Tls::Required);
    form().IdFTP1->DefaultPort = impostor.port();
    script_.clear();
    script_.answer(ui::Cancel);
    form().Button1->click();
    ASSERT_EQ(script_.texts().size(), 2u);
    EXPECT_TRUE(script_.texts()[0].startsWith(QStringLiteral("Сертификат сервера 127.0.0.1 изменился")));
    EXPECT_TRUE(script_.texts()[0].contains(fingerprint));
    EXPECT_FALSE(form().IdFTP1->IsOpen());
}

} // namespace
