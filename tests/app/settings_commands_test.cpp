// The main window's save commands, the password rule as the user meets it, and the close request.
#include "MainWindowFixture.h"

#include "ftp/TIdFTP.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"
#include <QApplication>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

using SaveCommands = MainWindowFixture;
using CloseRequest = MainWindowFixture;

namespace {
TFtpSettings storedSettings(const std::string& bytes) {
    TFtpSettings settings;
    DecodeFtpRecord(bytes, settings);
    return settings;
}

std::string storedPassword(const std::string& bytes) {
    return DecryptPassword(storedSettings(bytes).Password);
}
} // namespace

TEST_F(SaveCommands, StoredPasswordIsKeptReplacedOrExtendedAsTyped) {
    TFtpSettings saved;
    saved.Login = "bob";
    saved.Password = EncryptPassword("1234567");
    writeFile(settingsFile(".MyIni"), EncodeFtpRecord(saved));
    start();
    ASSERT_EQ(form().Edit6->text(), QStringLiteral("*******"));

    script_.answer(ui::Yes);
    form().Button3->click();
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "1234567");

    form().Edit6->setText(QStringLiteral("*******x")); // one more character after the mask
    script_.answer(ui::Yes);
    form().Button3->click();
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "*******x");

    form().Edit6->setText(QStringLiteral("new"));
    script_.answer(ui::Yes);
    form().Button3->click();
    EXPECT_EQ(storedPassword(readFile(settingsFile(".MyIni"))), "new");
    EXPECT_EQ(CurrentPassword, "new");
}

TEST_F(SaveCommands, PasswordQuestionAnswers) {
    start();
    form().Edit4->setText(QStringLiteral("127.0.0.1"));
    form().Edit6->setText(QStringLiteral("pw"));

    // Cancel: nothing written, "Сохранено" all the same.
    script_.answer(ui::Cancel);
    form().Button3->click();
    EXPECT_FALSE(exists(settingsFile(".MyIni")));
    EXPECT_FALSE(exists(settingsFile(".path")));
    ASSERT_EQ(script_.shown().size(), 2u);
    EXPECT_EQ(script_.shown()[0].text, QStringLiteral("Сохранить пароль?"));
    EXPECT_EQ(script_.shown()[0].caption, QStringLiteral("Хранить пароль не безопасно"));
    EXPECT_EQ(script_.shown()[0].defaultButton, ui::No);
    EXPECT_EQ(script_.shown()[1].text, QStringLiteral("Сохранено"));

    // No: the password is neither stored nor kept in memory.
    script_.answer(ui::No);
    form().Button3->click();
    EXPECT_TRUE(storedSettings(readFile(settingsFile(".MyIni"))).Password.empty());
    EXPECT_EQ(storedSettings(readFile(settingsFile(".MyIni"))).Server, "127.0.0.1");
    EXPECT_TRUE(form().Edit6->text().isEmpty());
    EXPECT_TRUE(CurrentPassword.empty());
}

TEST_F(SaveCommands, FolderListGetsTheDestinationOnlyWhenItIsNew) {
    writeFile(settingsFile(".path"), "/in\r\n");
    start();
    form().ComboBox1->setEditText(QStringLiteral("/in"));
    form().Button3->click();
    EXPECT_EQ(readFile(settingsFile(".path")), "/in\r\n");

    form().ComboBox1->setEditText(QStringLiteral("/IN"));
    form().Button3->click();
    EXPECT_EQ(readFile(settingsFile(".path")), "/in\r\n/IN\r\n");
    EXPECT_EQ(form().ComboBox1->count(), 2);
    EXPECT_EQ(form().ComboBox1->currentText(), QStringLiteral("/IN"));

    form().ComboBox1->setEditText(QString());
    form().Button3->click();
    EXPECT_EQ(readFile(settingsFile(".path")), "/in\r\n/IN\r\n\r\n");
}

TEST_F(SaveCommands, LongAndMultiByteValuesAreCutToTheSlot) {
    start();
    form().Edit4->setText(QString(300, QLatin1Char('s')));
    form().Edit5->setText(QString(300, QChar(0x0416))); // "Ж": two bytes in UTF-8, one in Windows-1251
    form().Button3->click();
    const TFtpSettings stored = storedSettings(readFile(settingsFile(".MyIni")));
    EXPECT_EQ(stored.Server, std::string(255, 's'));
    // As many whole characters as fit: in UTF-8 127 (254 bytes), since the 128th would be split.
    const size_t letterBytes = ui::ToSystemText(QString(QChar(0x0416))).size();
    EXPECT_EQ(stored.Login, ui::ToSystemText(QString(qsizetype(255 / letterBytes), QChar(0x0416))));
}

TEST_F(SaveCommands, UnwritableRecordGivesTheAdviceAndStillUpdatesTheList) {
    start();
    QDir(dir_.path()).mkdir(QStringLiteral("ferrylo.MyIni"));
    form().ComboBox1->setEditText(QStringLiteral("/up"));
    form().Button3->click();
    ASSERT_EQ(script_.shown().size(), 2u);
    EXPECT_EQ(script_.shown()[0].text,
              QStringLiteral("Не могу сохранить конфигурацию,выберите в моей программе пункт "
                             "\"Система\\Запускать   эту программу от  имени администратора\""));
    EXPECT_EQ(script_.shown()[1].text, QStringLiteral("Сохранено"));
    EXPECT_EQ(readFile(settingsFile(".path")), "/up\r\n");
}

TEST_F(SaveCommands, SourceFieldsAreSavedAndReadBack) {
    start();
    form().Edit1->setText(QStringLiteral("/данные"));
    form().Edit2->setText(QStringLiteral("*.*"));
    form().Button5->click();
    EXPECT_EQ(readFile(settingsFile(".iniInp")), ui::ToSystemText(QStringLiteral("/данные|*.*\r\n")));
    EXPECT_TRUE(script_.shown().empty());

    start();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/данные"));

    QFile::remove(QString::fromStdString(settingsFile(".iniInp")));
    QDir(dir_.path()).mkdir(QStringLiteral("ferrylo.iniInp"));
    form().Button5->click();
    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].text, QStringLiteral("Ошибка 6"));
}

TEST_F(SaveCommands, PassiveBoxReachesTheClientAtOnceButNotTheRecord) {
    start();
    form().CheckBox2->click();
    EXPECT_FALSE(form().IdFTP1->Passive);
    EXPECT_TRUE(FtpSettings.Passive);
    form().CollectFtpSettings();
    EXPECT_FALSE(FtpSettings.Passive);
}

TEST_F(CloseRequest, IdleEndsAtOnceCopyingAsksFirst) {
    start();
    QCloseEvent idle;
    QApplication::sendEvent(&form(), &idle);
    EXPECT_TRUE(script_.shown().empty());
    EXPECT_EQ(script_.haltRequests(), 1);

    form().CopyState().CopyIdle = false;
    script_.answer(ui::Cancel);
    QCloseEvent cancelled;
    QApplication::sendEvent(&form(), &cancelled);
    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].text, QStringLiteral("Идет копирование , Выходим из программы?"));
    EXPECT_EQ(script_.shown()[0].caption, QStringLiteral("Вопрос"));
    EXPECT_EQ(script_.shown()[0].icon, ui::MsgIcon::Warning);
    EXPECT_EQ(script_.shown()[0].defaultButton, ui::Cancel);
    EXPECT_EQ(script_.haltRequests(), 1);

    script_.answer(ui::Ok);
    QCloseEvent confirmed;
    QApplication::sendEvent(&form(), &confirmed);
    EXPECT_EQ(script_.haltRequests(), 2);
    form().CopyState().CopyIdle = true;
}
