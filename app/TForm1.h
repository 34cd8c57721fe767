#pragma once
// The main window: source, FTP server and destination fields, the log, the progress display and
// the menu. Its handlers live beside the subsystem they drive:
//   app/     start-up, settings commands, close request        (TForm1.cpp, TForm1Settings.cpp)
//   copy/    the copy job and its progress display, behind TCopyHost         (TForm1Copy*.cpp)
//   reach/   the connection check and the server search, behind TReachHost   (TForm1Reach.cpp)
//   shell/   browse buttons, tray, System/Service/Help menu commands          (TForm1Shell.cpp)

#include "copy/CopyHost.h"
#include "ftp/TIdComponent.h"
#include "reach/ReachHost.h"

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <memory>
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
class TProgressBar;
class TForm2;
class TForm3;
class TForm6;
class TForm7;

// What the entry hands to the main window: the running program file and its command line
// (arguments after the program name).
struct TStartup {
    QString programPath;
    QStringList arguments;
};

class TForm1 : public QMainWindow, public TReachHost, public TCopyHost, public TCopyState {
    Q_OBJECT
public:
    explicit TForm1(const TStartup& startup);
    ~TForm1() override;

    // --- controls (object names equal the member names) ---
    QLabel* Label1;
    QLineEdit* Edit1;
    QToolButton* SpeedButton2;
    QLabel* Label2;
    QLineEdit* Edit2;
    QToolButton* SpeedButton3;
    QLabel* Label17;
    QLabel* Label18;
    QPushButton* Button5;
    QGroupBox* GroupBox1;
    QLabel* StaticText2;
    QLineEdit* Edit4;
    QLabel* Label14;
    QLineEdit* Edit5;
    QLabel* Label4;
    QLineEdit* Edit6;
    QCheckBox* CheckBox2;
    TLogView* Memo1;
    QPushButton* Button1;
    QLabel* Label5;
    QComboBox* ComboBox1;
    QPushButton* Button3;
    TProgressBar* ProgressBar1;
    TProgressBar* ProgressBar2;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QPushButton* Button4;
    QPushButton* Button6;
    QPushButton* Button2;
    QMenu* N1;
    QAction* N2;
    QAction* N3;
    QAction* N4;
    QMenu* N5;
    QAction* N6;
    QAction* N10;
    QMenu* N7;
    QAction* N8;
    QAction* N9;
    std::unique_ptr<TIdFTP> IdFTP1;
    TJvTrayIcon* JvTrayIcon1;
    QTimer* Timer1;

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
    void Button6Click();
    void AppendLog(const std::string& line) override; // one line at the end of Memo1
    void AddDestinationItem(const QString& folder);   // to the drop-down list, keeping the typed text

    // --- copy job and progress display (copy/), the job's values in TCopyState ---
    void Button2Click();
    bool ConnectToServer(const std::string& host);
    void MakeRemotePath(const std::string& path);
    bool UploadOne(const std::string& local, const std::string& remote);
    void LoadTrayPicture(const std::string& name);
    void IdFTP1WorkBegin(TIdComponent* sender, TWorkMode mode, std::int64_t workCountMax);
    void IdFTP1Work(TIdComponent* sender, TWorkMode mode, std::int64_t workCount);
    void IdFTP1WorkEnd(TIdComponent* sender, TWorkMode mode);
    void Timer1Timer();

    // The options window whose boxes the copy job reads; FormSet hands it over once made.
    void setOptionsWindow(TForm2& options);

    // --- TCopyHost (Ftp, CollectFtpSettings, AppendLog, MessageOwner, IsCheckRunning shared above) ---
    std::string SourceFolder() const override;
    std::string SourceFileName() const override;
    std::string Destination() const override;
    void SetDestination(const std::string& folder) override;
    TCopyOptions Options() const override;
    void TickDeleteSources() override;
    TCopyState& CopyState() override { return *this; }
    void SetStartEnabled(bool enabled) override;
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
    void SetServerField(const std::string& server) override;
    void SaveFtpSettings() override; // to MyIniPath
    TIdFTP& Ftp() override { return *IdFTP1; }
    TJvTrayIcon& Tray() override { return *JvTrayIcon1; }
    QWidget* MessageOwner() override { return this; }
    TForm7* SearchWindow() override { return search_; }
    bool IsCopyIdle() const override { return CopyIdle; }
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

    TStartup startup_;
    TForm2* options_ = nullptr;
    TForm3* editor_ = nullptr;
    TForm6* about_ = nullptr;
    TForm7* search_ = nullptr;
};

extern TForm1* Form1;
