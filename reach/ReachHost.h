#pragma once
// What the connection check and the server search need from the window that runs them. The main
// window implements it; tests give a small stand-in, so the check runs without the window set.

#include "settings/ServerLogin.h"

#include <string>

class QString;

class QWidget;
class TForm7;
class TIdFTP;
class TJvTrayIcon;

class TReachHost {
public:
    virtual ~TReachHost() = default;

    // The server, login and password of the window's fields now (the settings the windows show follow them).
    virtual TServerLogin CollectServerLogin() = 0;
    // A server the search found and the user kept: into the server field, and the FTP settings saved to ".MyIni"
    // with the window's password question.
    virtual void KeepFoundServer(const std::string& server) = 0;
    virtual void AppendLog(const QString& line) = 0; // one line of the log, as shown

    virtual TIdFTP& Ftp() = 0;
    // The check goes over SFTP (SSH) instead of FTP.
    virtual bool UsesSftp() const = 0;
    virtual TJvTrayIcon& Tray() = 0;
    virtual QWidget* MessageOwner() = 0;
    // Null while the window set is incomplete: then a failed check offers no search.
    virtual TForm7* SearchWindow() = 0;

    // The one FTP client serves one operation at a time.
    virtual bool IsCopyIdle() const = 0;
    virtual bool IsCheckRunning() const = 0;
    virtual void SetCheckRunning(bool running) = 0;
};
