// Start-up: what the main window shows from the settings files and the command line.
#include "MainWindowFixture.h"

#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"
#include "ui/TProgressBar.h"

#include "ui/TLogView.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using StartUp = MainWindowFixture;

namespace {
#ifdef _WIN32
// A file held open with no sharing: it is there, but nobody else can open it.
class UnopenableFile {
public:
    explicit UnopenableFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
    }
    ~UnopenableFile() { CloseHandle(handle_); }

private:
    HANDLE handle_;
};
#else
// A socket file: it is there, but opening it as a file fails, whoever the user is.
class UnopenableFile {
public:
    explicit UnopenableFile(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~UnopenableFile() { close(fd_); }

private:
    int fd_;
};
#endif

std::string ftpRecord(const std::string& folder, const std::string& server, const std::string& login,
                      const std::string& plainPassword, bool passive) {
    TFtpSettings settings;
    settings.Folder = folder;
    settings.Server = server;
    settings.Login = login;
    settings.Password = plainPassword.empty() ? "" : EncryptPassword(plainPassword);
    settings.Passive = passive;
    return EncodeFtpRecord(settings);
}
} // namespace

TEST_F(StartUp, WithoutSettingsFilesEveryFieldHasItsDefault) {
    start();
    EXPECT_TRUE(form().Edit1->text().isEmpty());
    EXPECT_TRUE(form().Edit2->text().isEmpty());
    EXPECT_EQ(form().ComboBox1->currentText(), QStringLiteral("/"));
    EXPECT_EQ(form().ComboBox1->count(), 0);
    EXPECT_TRUE(form().Edit4->text().isEmpty());
    EXPECT_TRUE(form().Edit5->text().isEmpty());
    EXPECT_TRUE(form().Edit6->text().isEmpty());
    EXPECT_TRUE(form().CheckBox2->isChecked());
    EXPECT_TRUE(form().IdFTP1->Passive);
    for (QLabel* label : {form().Label7, form().Label9, form().Label11, form().Label18})
        EXPECT_TRUE(label->text().isEmpty());
    EXPECT_TRUE(form().Memo1->toPlainText().isEmpty());
    for (QCheckBox* box : {Form2->CheckBox1, Form2->CheckBox2, Form2->CheckBox3, Form2->CheckBox4, Form2->CheckBox5})
        EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(StartUp, CaptionFixedClientAreaAndNamedControls) {
    start();
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Ferrylo — загрузка папок и файлов на FTP сервер    ferrylo"));
    EXPECT_EQ(form().centralWidget()->size(), QSize(1073, 413));
    for (const char* name :
         {"Edit1",        "Edit2",   "Edit4",        "Edit5",        "Edit6",     "ComboBox1", "Memo1",
          "Button1",      "Button2", "Button3",      "Button4",      "Button5",   "Button6",   "ProgressBar1",
          "ProgressBar2", "Label18", "SpeedButton2", "SpeedButton3", "CheckBox2", "GroupBox1", "StaticText2"})
        EXPECT_NE(form().findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(form().Button2->text(), QStringLiteral("Старт копирования"));
    EXPECT_EQ(form().N2->text(), QStringLiteral("Запускать   эту программу от  имени администратора"));
    EXPECT_EQ(form().N10->text(), QStringLiteral("Редактор контекстного меню файла (пункт \"Отправить\")"));
}

TEST_F(StartUp, SettingsFilesFillTheWindow) {
    writeFile(settingsFile(".path"), "/in\r\n\r\n/out/daily\r\n");
    writeFile(settingsFile(".iniInp"), "/data|*.*\r\n");
    writeFile(settingsFile(".option"), std::string("\1\0\1\0\1", 5));
    writeFile(settingsFile(".MyIni"), ftpRecord("/in", "127.0.0.1", "bob", "s3cret", false));
    start();
    EXPECT_EQ(form().ComboBox1->count(), 3);
    EXPECT_EQ(form().ComboBox1->itemText(1), QStringLiteral(""));
    EXPECT_EQ(form().ComboBox1->currentText(), QStringLiteral("/in"));
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/data"));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("*.*"));
    EXPECT_EQ(form().Edit4->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(form().Edit5->text(), QStringLiteral("bob"));
    EXPECT_EQ(form().Edit6->text(), QStringLiteral("******"));
    EXPECT_EQ(CurrentPassword, "s3cret");
    EXPECT_FALSE(form().CheckBox2->isChecked());
    EXPECT_FALSE(form().IdFTP1->Passive);
    EXPECT_TRUE(Form2->CheckBox1->isChecked());
    EXPECT_FALSE(Form2->CheckBox2->isChecked());
    EXPECT_TRUE(Form2->CheckBox3->isChecked());
    EXPECT_TRUE(Form2->CheckBox5->isChecked());
}

TEST_F(StartUp, SourceLineFieldsTakeTheFirstTwoPipeFields) {
    writeFile(settingsFile(".iniInp"), "/only/folder\r\n");
    start();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/only/folder"));
    EXPECT_TRUE(form().Edit2->text().isEmpty());

    writeFile(settingsFile(".iniInp"), "/a|b.txt|ignored\r\n");
    start();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/a"));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("b.txt"));
}

TEST_F(StartUp, ShortRecordFillsOnlyWhatItHas) {
    const std::string full = ftpRecord("/in", "ftp.example.invalid", "bob", "", true);
    writeFile(settingsFile(".MyIni"), full.substr(0, 256 + 5)); // folder and 4 bytes of the server
    start();
    EXPECT_EQ(form().ComboBox1->currentText(), QStringLiteral("/in"));
    EXPECT_EQ(form().Edit4->text(), QStringLiteral("ftp."));
    EXPECT_TRUE(form().Edit5->text().isEmpty());
    EXPECT_TRUE(form().CheckBox2->isChecked()); // the passive byte is missing: stays on
    EXPECT_TRUE(script_.shown().empty());       // no login, so no password question
}

TEST_F(StartUp, LoginWithoutStoredPasswordAsksForIt) {
    writeFile(settingsFile(".MyIni"), ftpRecord("/", "127.0.0.1", "bob", "", true));
    script_.input(QStringLiteral("пароль1"));
    start();
    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].caption, QStringLiteral("login:bob"));
    EXPECT_EQ(script_.shown()[0].text, QStringLiteral("Введите пароль"));
    EXPECT_EQ(script_.shown()[0].echo, ui::InputEcho::Password); // typed as dots
    EXPECT_EQ(CurrentPassword, ui::ToSystemText(QStringLiteral("пароль1")));
    EXPECT_EQ(form().Edit6->text(), QStringLiteral("*******")); // characters, not bytes

    script_.clear();
    script_.input(std::nullopt); // cancelled
    start();
    EXPECT_EQ(script_.shown().size(), 1u);
    EXPECT_TRUE(CurrentPassword.empty());
    EXPECT_TRUE(form().Edit6->text().isEmpty());
}

TEST_F(StartUp, CommandLineOverridesTheSavedSource) {
    writeFile(settingsFile(".iniInp"), "/saved|x.txt\r\n");
    QDir(dir_.path()).mkdir(QStringLiteral("data"));
    const QString data = dir_.filePath(QStringLiteral("data")); // '/' even on Windows, which takes it too
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };

    start({data});
    EXPECT_EQ(form().Edit1->text(), native(data));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("*.*"));

    start({native(data + QStringLiteral("/a.txt"))}); // need not exist
    EXPECT_EQ(form().Edit1->text(), native(data));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("a.txt"));

    start({data + QStringLiteral("/b.txt")});
    EXPECT_EQ(form().Edit1->text(), native(data));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("b.txt"));

    start({QStringLiteral("/a.txt")});
    EXPECT_EQ(form().Edit1->text(), native(QStringLiteral("/")));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("a.txt"));

    start({QStringLiteral("/")}); // the root is a folder
    EXPECT_EQ(form().Edit1->text(), native(QStringLiteral("/")));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("*.*"));
}

TEST_F(StartUp, UnreadableFolderListEndsTheReadingThere) {
    writeFile(settingsFile(".iniInp"), "/saved|x.txt\r\n");
    writeFile(settingsFile(".MyIni"), ftpRecord("/in", "127.0.0.1", "bob", "pw", false));
    const UnopenableFile unreadable(settingsFile(".path")); // exists, but cannot be opened
    start({QStringLiteral("/tmp")});
    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].kind, ui::testing::Shown::Kind::Error);
    EXPECT_TRUE(form().Edit1->text().isEmpty()); // neither ".iniInp" nor the command line
    EXPECT_TRUE(form().Edit4->text().isEmpty()); // nor ".MyIni"
    EXPECT_TRUE(form().CheckBox2->isChecked());
    EXPECT_FALSE(form().IdFTP1->Passive); // the box was never handed over
}
