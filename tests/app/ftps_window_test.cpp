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
#include <QTest>
#include <filesystem>

using ferrylo::testing::PyFtpdServer;
using FtpsWindow = MainWindowFixture;

namespace {

const QString kQuestionStart = QStringLiteral("Сертификат сервера не подтвержден.\n\nСервер: 127.0.0.1\n");

QString GroupedFingerprintOf(const QString& fingerprint) {
    return fingerprint.left(8 * 3 - 1) + QLatin1Char('\n');
}

TEST_F(FtpsWindow, BoxIsOffWithoutTheFileAndSavedBesideTheOthersKeepingTheRest) {
    start();
    EXPECT_FALSE(form().CheckBox3->isChecked());
    EXPECT_FALSE(form().IdFTP1->UseTLS);
    EXPECT_FALSE(exists(settingsFile(".ftps")));
    form().Button3->click(); // nothing beyond the first form is set: the five files only
    EXPECT_FALSE(exists(settingsFile(".ftps")));

    writeFile(settingsFile(".ftps"), "certificate=AA:BB 127.0.0.1\r\n");
    form().CheckBox3->click();
    EXPECT_TRUE(form().IdFTP1->UseTLS);
    form().Button3->click();
    EXPECT_EQ(readFile(settingsFile(".ftps")), "ftps=1\r\ncertificate=AA:BB 127.0.0.1\r\n");
    EXPECT_EQ(readFile(settingsFile(".MyIni")).size(), 1025u); // the record keeps its exact shape

    writeFile(settingsFile(".ftps"),
              readFile(settingsFile(".ftps")) + "known_folders=1\r\nparallel_uploads=4\r\nskip_existing=1\r\n");
    start(); // the next run reads it, the options window's box and count too, and the job sees them
    EXPECT_TRUE(form().CheckBox3->isChecked());
    EXPECT_TRUE(form().IdFTP1->UseTLS);
    EXPECT_TRUE(Form2->CheckBox6->isChecked() && Form2->CheckBox7->isChecked());
    EXPECT_EQ(form().Options().ParallelUploads, 4);
    EXPECT_TRUE(form().Options().SkipExisting);

    // "sftp://" typed in the server field ticks SFTP, which greys what SSH does not have; the next run has it again.
    QTest::keyClicks(form().Edit4, QStringLiteral("sftp://host.example:2222"));
    EXPECT_EQ(form().Edit4->text(), QStringLiteral("host.example:2222"));
    EXPECT_TRUE(form().UsesSftp() && !form().CheckBox2->isEnabled() && !form().CheckBox3->isEnabled());
    form().Button3->click();
    EXPECT_TRUE(readFile(settingsFile(".ftps")).ends_with("sftp=1\r\n"));
    start();
    EXPECT_TRUE(form().CheckBox4->isChecked() && !form().CheckBox3->isEnabled());
    form().CheckBox4->click();
    EXPECT_TRUE(!form().UsesSftp() && form().CheckBox2->isEnabled() && form().CheckBox3->isEnabled());
}

// The fingerprint as the question shows it, in lines of pairs, joined back into the stored form.
QString FingerprintIn(const QString& question) {
    const QString grouped =
        question.section(QStringLiteral("Отпечаток SHA-256:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    return grouped.split(QLatin1Char('\n')).join(QLatin1Char(':'));
}

TEST_F(FtpsWindow, CheckAsksOnceWithTheWindowInSightRemembersYesAndRefusesAChangedCertificate) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    start();
    form().Edit4->setText(QStringLiteral("127.0.0.1"));
    form().Edit5->setText(QString::fromStdString(server.user()));
    form().Edit6->setText(QString::fromStdString(server.password()));
    form().CheckBox3->click();
    form().IdFTP1->DefaultPort = server.port();
    bool windowInSight = false;
    script_.onMessage([this, &windowInSight](const ui::testing::Shown&) {
        windowInSight = form().isVisible() && !form().isMinimized();
    });

    // No: no connection, nothing remembered, and nothing more said: the server is there, no search is offered.
    script_.answer(ui::No);
    form().Button1->click();
    ASSERT_EQ(script_.texts().size(), 1u);
    EXPECT_TRUE(script_.texts()[0].startsWith(kQuestionStart)) << script_.texts()[0].toStdString();
    EXPECT_TRUE(script_.texts()[0].endsWith(QStringLiteral("\n\nДоверять этому серверу?")));
    EXPECT_TRUE(windowInSight) << "the check hides the window; the question brings it back";
    EXPECT_FALSE(exists(settingsFile(".ftps")));

    // Yes: connected, and the fingerprint is kept for this server on its port.
    script_.clear();
    script_.answer(ui::Yes);
    form().Button1->click();
    ASSERT_EQ(script_.texts().size(), 2u);
    EXPECT_EQ(script_.texts()[1], QStringLiteral("Связь есть"));
    const QString fingerprint = FingerprintIn(script_.texts()[0]);
    EXPECT_EQ(QString::fromStdString(readFile(settingsFile(".ftps"))),
              QStringLiteral("certificate=") + fingerprint + QStringLiteral(" 127.0.0.1:") +
                  QString::number(server.port()) + QStringLiteral("\r\n"));
    EXPECT_TRUE(form().Memo1->toPlainText().contains(
        QStringLiteral("Проверка связи с 127.0.0.1: Шифрованное соединение (TLS 1.")));

    // The next connection asks nothing (an unprimed question would fail the test).
    script_.clear();
    form().Button1->click();
    EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Связь есть")});

    // Another certificate for the same server and port is refused, with the change named, and only that is said.
    PyFtpdServer impostor(PyFtpdServer::Tls::Required);
    writeFile(settingsFile(".ftps"),
              "certificate=" + fingerprint.toStdString() + " 127.0.0.1:" + std::to_string(impostor.port()) + "\r\n");
    form().IdFTP1->DefaultPort = impostor.port();
    script_.clear();
    form().Button1->click();
    ASSERT_EQ(script_.texts().size(), 1u);
    EXPECT_TRUE(script_.texts()[0].startsWith(QStringLiteral("Сертификат сервера 127.0.0.1 изменился")));
    EXPECT_TRUE(script_.texts()[0].contains(GroupedFingerprintOf(fingerprint)));
    EXPECT_FALSE(form().IdFTP1->IsOpen());
}

TEST_F(FtpsWindow, AFtpsFileThatCannotBeWrittenIsNamedAndMyIniIsNotBlamed) {
    start();
    form().CheckBox3->click();
    writeFile(settingsFile(".ftps"), "ftps=0\r\n");
    std::filesystem::permissions(settingsFile(".ftps"), std::filesystem::perms::owner_read);
    script_.lenient(); // "Сохранено"
    form().Button3->click();
    ASSERT_FALSE(script_.texts().empty());
    const QString said = script_.texts().front();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Не могу сохранить файл ferrylo.ftps "))) << said.toStdString();
    EXPECT_EQ(readFile(settingsFile(".MyIni")).size(), 1025u);
}

} // namespace
