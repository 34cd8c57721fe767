#pragma once
// A stand-in for the main window as the copy job's host: plain fields, the options as values, the log as a list of
// lines, a client whose settings (and work event watchers) each connection of the job takes, and the few controls
// the progress display writes to.
#include "app/CopyHost.h"
#include "ftp/TIdFTP.h"
#include "ui/TProgressBar.h"

#include <QIcon>
#include <QLabel>
#include <functional>
#include <string>
#include <vector>

class FakeCopyHost : public TCopyHost, public TCopyState {
public:
    std::string sourceFolder, sourceFileName, destination;
    std::string server, login, password; // the FTP fields
    bool passive = true;
    bool sftp = false;
    TCopyOptions options;
    std::vector<std::string> log;
    bool checkRunning = false;
    bool startEnabled = true;
    bool stopEnabled = false;
    bool timerRunning = false;
    bool inTray = false;
    QIcon trayPicture;
    TIdFTP ftp;
    QLabel totalSize, speed, elapsed, remaining;
    TProgressBar fileBar, jobBar;

    TServerLogin ServerLogin() const override { return {FtpSettings.Server, FtpSettings.Login, CurrentPassword}; }
    std::string SourceFolder() const override { return sourceFolder; }
    std::string SourceFileName() const override { return sourceFileName; }
    std::string Destination() const override { return destination; }
    void SetDestination(const std::string& folder) override { destination = folder; }
    void CollectFtpSettings() override;
    TCopyOptions Options() const override { return options; }
    bool UsesSftp() const override { return sftp; }
    void TickDeleteSources() override { options.DeleteSources = true; }
    std::function<void(const std::string&)> onLog; // runs after each line is added
    void AppendLog(const QString& line) override {
        log.push_back(line.toStdString()); // UTF-8: on Linux the same bytes as the program's 8-bit text
        if (onLog)
            onLog(log.back());
    }
    void ShowMessageBox(const QString& text) override;
    QWidget* MessageOwner() override { return nullptr; }
    TCopyState& CopyState() override { return *this; }
    bool IsCheckRunning() const override { return checkRunning; }
    TIdFTP& Ftp() override { return ftp; }
    void SetStartEnabled(bool enabled) override { startEnabled = enabled; }
    void SetStopEnabled(bool enabled) override { stopEnabled = enabled; }
    void RunTimer(bool running) override { timerRunning = running; }
    void HideToTray() override { inTray = true; }
    void ShowTrayPicture(const QIcon& picture) override { trayPicture = picture; }
    TProgressControls Progress() override { return {totalSize, fileBar, jobBar, speed, elapsed, remaining}; }
};
