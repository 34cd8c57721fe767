#pragma once
// What the copy job needs of the window that runs it. The job lives below the window, so it reaches the fields,
// the progress display, the tray and the settings of the window's FTP client only through this interface; the
// main window implements it, and tests give a small stand-in.

#include "settings/ServerLogin.h"
#include "settings/Settings.h"

#include <cstdint>
#include <string>
#include <vector>

class QIcon;
class QString;
class QLabel;
class QWidget;
class TIdFTP;
class TProgressBar;

namespace copyjob {
class TUploadEngine;
}

// The window's view of a job: kept by the host for the whole run, written by the job and its display.
struct TCopyState {
    bool CopyIdle = true;                // false while a job runs
    std::vector<std::string> SourceList; // files of the running copy job, in upload order
    std::int64_t TotalBytes = 0;
    std::int64_t FinishedBytes = 0; // of the files stored so far
    std::int64_t SentBytes = 0;     // the finished ones and what is on its way
    double StartTime = 0;           // date-time in days, so a job past midnight stays right
    double IconStep = 0;
    int IconStage = 0;
    // The waits before the retries of a file that failed for a reason that may pass, in milliseconds.
    std::vector<int> RetryWaitsMs{2000, 5000, 10000};
    copyjob::TUploadEngine* Running = nullptr; // the engine of the job under way, for its stop
};

// The controls the progress display writes to.
struct TProgressControls {
    QLabel& TotalSize;     // megabytes of the job
    TProgressBar& FileBar; // the current file, in kilobytes
    TProgressBar& JobBar;  // the whole job, in kilobytes
    QLabel& Speed;
    QLabel& Elapsed;
    QLabel& Remaining;
};

class TCopyHost {
public:
    virtual ~TCopyHost() = default;

    // The source and destination fields as they read now (8-bit text), and an empty destination made "/".
    virtual std::string SourceFolder() const = 0;
    virtual std::string SourceFileName() const = 0;
    virtual std::string Destination() const = 0;
    virtual void SetDestination(const std::string& folder) = 0;
    // Brings the window's FTP settings up to date from its fields: ServerLogin() and Ftp() give them from then on.
    virtual void CollectFtpSettings() = 0;
    virtual TServerLogin ServerLogin() const = 0;
    // The window's client: each connection of a job is set up as it is (mode, encryption, port, bounds).
    virtual TIdFTP& Ftp() = 0;
    // Whether the job goes over SFTP (SSH) instead of FTP.
    virtual bool UsesSftp() const = 0;

    // The copy options as the options window shows them now; the move question may tick DeleteSources.
    virtual TCopyOptions Options() const = 0;
    virtual void TickDeleteSources() = 0;

    virtual void AppendLog(const QString& line) = 0;      // one line of the log, as shown
    virtual void ShowMessageBox(const QString& text) = 0; // a message the user must see now
    virtual QWidget* MessageOwner() = 0;                  // owner of the job's question boxes
    virtual bool IsCheckRunning() const = 0;              // a connection check holds the FTP client
    virtual TCopyState& CopyState() = 0;

    // The running job: the start button, the one-second timer, the tray.
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void SetStopEnabled(bool enabled) = 0; // "Остановить копирование", only while uploading
    virtual void RunTimer(bool running) = 0;
    virtual void HideToTray() = 0; // into the notification area, icon shown
    virtual void ShowTrayPicture(const QIcon& picture) = 0;
    virtual TProgressControls Progress() = 0;
};
