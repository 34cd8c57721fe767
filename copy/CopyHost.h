#pragma once
// What the copy job needs of the window that runs it. The job lives below the window, so it reaches
// the fields, the progress display, the tray and the FTP client only through these interfaces; the
// main window implements them, and tests give a small stand-in.

#include "copy/KnownFolders.h"
#include "copy/UploadTally.h"
#include "ftps/CertificateTrust.h"
#include "settings/FtpsFile.h"
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

// The values of a job: kept by the host for the whole run, written by the job and its display.
struct TCopyState {
    bool CopyIdle = true;                // false while a job runs
    std::vector<std::string> SourceList; // files of the running copy job, in upload order
    std::int64_t TotalBytes = 0;
    std::int64_t CurrentFileBytes = 0;
    std::int64_t FinishedBytes = 0;
    std::int64_t SentBytes = 0;
    double StartTime = 0; // date-time in days, so a job past midnight stays right
    double IconStep = 0;
    int IconStage = 0;
    std::int64_t ResumedBytes = 0; // of the current file, on the server before its upload resumed
    bool ResumeRefused = false;    // the server refused a resumed store during this job: files go whole
    bool StopRequested = false;    // "Остановить копирование" during the running job
    // The waits before the retries of a file that failed for a reason that may pass, in milliseconds.
    std::vector<int> RetryWaitsMs{2000, 5000, 10000};
    // The remote folders this job made or entered, used when "Не проверять уже созданные папки" is ticked.
    TKnownFolders KnownRemoteFolders;
    TUploadTally Tally; // the upload under way (or last finished) on this host's connection
    // How this host's connections decide about a certificate: the certificates remembered when the job started,
    // with those the user accepted since. A refusal is said once a job, and no "Нет связи" after it.
    ftps::TCertificateTrust Trust;
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

// What uploading files over one connection needs of its host: the client, the job's values, the options and a
// way to tell the user. The window hosts the single connection; each connection of parallel uploads is a host of
// its own, on its own thread.
class TUploadHost {
public:
    virtual ~TUploadHost() = default;

    // The copy options as the options window shows them now; the move question may tick DeleteSources.
    virtual TCopyOptions Options() const = 0;
    virtual void AppendLog(const QString& line) = 0;      // one line of the log, as shown
    virtual void ShowMessageBox(const QString& text) = 0; // a message the user must see now
    virtual TCopyState& CopyState() = 0;
    virtual TIdFTP& Ftp() = 0;
    // The window gives the FTP settings as they are now (a reconnection during the job takes a change made
    // meanwhile); a connection of parallel uploads, those the job started with.
    virtual TServerLogin ServerLogin() const = 0;
};

class TCopyHost : public TUploadHost {
public:
    // The source and destination fields as they read now (8-bit text), and an empty destination made "/".
    virtual std::string SourceFolder() const = 0;
    virtual std::string SourceFileName() const = 0;
    virtual std::string Destination() const = 0;
    virtual void SetDestination(const std::string& folder) = 0;
    // Brings the window's FTP settings up to date from its fields: ServerLogin() gives them from then on.
    virtual void CollectFtpSettings() = 0;

    virtual void TickDeleteSources() = 0;
    virtual QWidget* MessageOwner() = 0;     // owner of the job's question box
    virtual bool IsCheckRunning() const = 0; // a connection check holds the FTP client

    // The running job: the start button, the one-second timer, the tray.
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void SetStopEnabled(bool enabled) = 0; // "Остановить копирование", only while uploading
    virtual void RunTimer(bool running) = 0;
    virtual void HideToTray() = 0; // into the notification area, icon shown
    virtual void ShowTrayPicture(const QIcon& picture) = 0;
    virtual TProgressControls Progress() = 0;
};
