#pragma once
// The main window: source, FTP server and destination fields, the log, the progress display and
// the menu. Its handlers live beside the subsystem they drive:
//   app/     start-up, settings commands, close request        (TForm1.cpp, TForm1Settings.cpp)
//   app/     the window's side of a copy job (copy/ is its engine), behind TCopyHost (TForm1Copy*.cpp)
//   reach/   the connection check and the server search, behind TReachHost   (TForm1Reach.cpp)
//   shell/   browse buttons, tray, System/Service/Help menu commands          (TForm1Shell.cpp)

#include "app/CopyHost.h"
#include "ftp/TIdComponent.h"
#include "reach/ReachHost.h"

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;
class TIdFTP;
class TJvTrayIcon;
class TLogView;
class TPasswordStore;
class TProgressBar;
class TForm2;
class TForm3;
class TForm6;
class TForm7;
struct TFtpSettings;

// What the entry hands to the main window: the running program file and its command line
// (arguments after the program name), and where a password kept out of ".MyIni" goes (none given: the system's
// keyring).
struct TStartup {
    QString programPath;
    QStringList arguments;
    std::shared_ptr<TPasswordStore> passwords = nullptr;
};

class TForm1 : public QMainWindow, public TReachHost, public TCopyHost {
    Q_OBJECT
public:
    explicit TForm1(const TStartup& startup);
    ~TForm1() override;

    // --- controls (object names equal the member names) ---
    // The source: what the copy job uploads.
    QLabel* Label1;            // "Исходящая папка" -> label of Edit1
    QLineEdit* Edit1;          // source folder
    QToolButton* SpeedButton2; // "..." -> picks the source folder
    QLabel* Label2;            // "Исходящий файл" -> label of Edit2
    QLineEdit* Edit2;          // source file name, or "*.*" for the whole folder with its subfolders
    QToolButton* SpeedButton3; // "..." -> picks the source file
    QLabel* Label17;           // "размер исходящих файлов" -> label of Label18
    QLabel* Label18;           // red: total size of the running job's files, "<n> Mb"
    QPushButton* Button5; // "Сохранить параметры исходящих  файлов" -> writes ".iniInp"

    // The server, in the "FTP" frame.
    QGroupBox* GroupBox1; // "FTP" -> holds the server, login, password, passive mode and encryption
    QLabel* StaticText2;  // "IP Адрес FTP сервера" -> label of Edit4
    QLineEdit* Edit4;     // server name or address
    QLabel* Label14;      // "login" -> label of Edit5
    QLineEdit* Edit5;     // user name
    QLabel* Label4;       // "Пароль" -> label of Edit6
    QLineEdit* Edit6;     // password, shown as "*"
    QCheckBox* CheckBox2; // "Пассивный режим" -> passive data connections; ticked at creation
    QCheckBox* CheckBox3; // "Шифрование (FTPS)" -> explicit TLS from the next connection on; off at creation
    QCheckBox* CheckBox4; // "Протокол SFTP (SSH)" -> the job and the check go over SSH; greys the two boxes above

    // Beside the frame: the check, the destination and the log.
    TLogView* Memo1;      // log of the connection check and the copy job, one line per event
    QPushButton* Button1; // "Проверка связи" -> connection check, with the server search
    QLabel* Label5;       // "Папка назначения" -> label of ComboBox1
    QComboBox* ComboBox1; // editable destination folder on the server; the list holds ".path"
    QPushButton* Button3; // "Сохранить параметры FTP сервера" -> writes ".MyIni", ".path" and ".ftps"

    // The progress of a job.
    TProgressBar* ProgressBar1; // the current file
    TProgressBar* ProgressBar2; // the whole job
    QLabel* Label6;             // "Средняя скорость" -> label of Label7
    QLabel* Label7;             // red: average speed
    QLabel* Label8;             // "Прошло времени" -> label of Label9
    QLabel* Label9;             // red: elapsed time
    QLabel* Label10;            // "Осталось времени" -> label of Label11
    QLabel* Label11;            // red: remaining time

    // The bottom row.
    QPushButton* Button4; // "Свернуть в tray" -> hides the window to the tray
    QPushButton* Button6; // "Опции копирования" -> shows the copy options window
    QPushButton* Button2; // "Старт копирования" -> starts the copy job; disabled while it runs

    // The main menu.
    QMenu* N1;   // "Система"
    QAction* N2; //   "Запускать   эту программу от  имени администратора" -> restart through the sibling tool
    QAction* N3; //   "Добавить в пункт "Отправить" " -> shortcut in the Send To folder
    QAction* N4; //   "Отправить ярлык на рабочий стол" -> shortcut on the desktop
    QMenu* N5;   // "Сервис"
    QAction* N6; //   "Редактор Папок назначения" -> the destination folder editor
    QAction* N10; //   "Редактор контекстного меню файла (пункт "Отправить")" -> the Send To menu editor
    QMenu* N7;    // "Помощь"
    QAction* N8;  //   "О программе" -> the About window
    QAction* N9;  //   "Помощь" -> the help page
    QAction* N11; //   in "Сервис": "Остановить копирование" (Esc) -> stops the job; enabled while it uploads

    // Without a face of their own.
    std::unique_ptr<TIdFTP> IdFTP1; // the check's client; each connection of a job is set up as it is
    TJvTrayIcon* JvTrayIcon1;       // the tray icon, inactive until the window hides; a click brings it back
    QTimer* Timer1;                 // one-second tick of the progress display, running only during a job

    // --- values shared with the copy job, the connection check and the server search ---
    std::string ProgramPath;           // the running program file, as the shell names it
    std::string MyIniPath;             // worked out once at start-up
    std::vector<std::string> PathList; // destination folders: the buffer of ".path"
    bool CheckRunning = false;         // a connection check (with its search window) is under way

    // --- start-up, settings, closing (app/) ---
    void FormCreate();
    void CollectFtpSettings() override;
    void SaveFtpSettings(const std::string& myIniPath);
    void Button3Click();
    void Button5Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void Edit4Edited(); // "sftp://host[:port]" typed: the box is ticked and the server keeps "host[:port]"
    void Button6Click();
    void AppendLog(const QString& line) override;   // one line at the end of Memo1
    void AddDestinationItem(const QString& folder); // to the drop-down list, keeping the typed text

    // --- copy job and progress display (copy/), the job's values in TCopyState ---
    void Button2Click();
    void Timer1Timer();
    void N11Click();

    // The options window whose boxes the copy job reads; FormSet hands it over once made.
    void setOptionsWindow(TForm2& options);

    // --- TCopyHost (Ftp, CollectFtpSettings, AppendLog, MessageOwner, IsCheckRunning shared above) ---
    TServerLogin ServerLogin() const override; // the FTP settings as they are now
    std::string SourceFolder() const override;
    std::string SourceFileName() const override;
    std::string Destination() const override;
    void SetDestination(const std::string& folder) override;
    TCopyOptions Options() const override;
    bool UsesSftp() const override;
    void TickDeleteSources() override;
    void ShowMessageBox(const QString& text) override;
    TCopyState& CopyState() override { return copyState_; }
    const TCopyState& CopyState() const { return copyState_; }
    void SetStartEnabled(bool enabled) override;
    void SetStopEnabled(bool enabled) override;
    void RunTimer(bool running) override;
    void HideToTray() override;
    void ShowTrayPicture(const QIcon& picture) override;
    TProgressControls Progress() override;

    // --- connection check and server search (reach/) ---
    void Button1Click();
    bool TestConnection(const std::string& host);

    // The windows the menu commands and the check show; FormSet hands them over once made.
    void setWindows(TForm3& editor, TForm6& about, TForm7& search);

    // --- TReachHost ---
    TServerLogin CollectServerLogin() override;
    void KeepFoundServer(const std::string& server) override;
    void SetServerField(const std::string& server);
    TIdFTP& Ftp() override { return *IdFTP1; }
    TJvTrayIcon& Tray() override { return *JvTrayIcon1; }
    QWidget* MessageOwner() override { return this; }
    TForm7* SearchWindow() override { return search_; }
    bool IsCopyIdle() const override { return copyState_.CopyIdle; }
    bool IsCheckRunning() const override { return CheckRunning; }
    void SetCheckRunning(bool running) override { CheckRunning = running; }

    // --- shell, tray and menu commands (shell/) ---
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Button4Click();
    void JvTrayIcon1Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N6Click();
    void N8Click();
    void N9Click();
    void N10Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenu();
    void connectHandlers();
    void readStartupSettings();
    void applyCommandLine();
    void readFtpSettingsFile();
    void readFtpsSettingsFile();
    bool saveFtpsSettingsFile(); // false when it cannot be written
    // The password the keyring holds for the server and login just read from ".MyIni", when the option sends saved
    // passwords there.
    std::optional<std::string> passwordFromKeyring();
    // Hands the run's password to the keyring and empties the record's slot; an empty password takes the keyring's
    // entry out instead. False when no keyring took the password: the record keeps it.
    bool keepPasswordInKeyring(TFtpSettings& record);
    static QString keyringUnreachableText(const std::string& myIniPath);

    TStartup startup_;
    std::shared_ptr<TPasswordStore> passwords_;
    TCopyState copyState_; // the running (or last) copy job's values
    TForm2* options_ = nullptr;
    TForm3* editor_ = nullptr;
    TForm6* about_ = nullptr;
    TForm7* search_ = nullptr;
};

extern TForm1* Form1;
