#include "copy/CopyConnection.h"

#include "copy/CopyHost.h"
#include "copy/RemotePath.h"
#include "copy/UploadTally.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "util/TimeTexts.h"

#include <stdexcept>

namespace copyjob {

bool ConnectToServer(TCopyHost& host, const std::string& server) {
    TIdFTP& ftp = host.Ftp();
    ui::ProcessMessages();
    ftp.LeaveServerQuietly(); // a connection left open by a failed job may have been dropped meanwhile
    ftp.SetHost(server);
    ftp.TLSHostName = server;
    ftp.Username = FtpSettings.Login;
    ftp.Password = CurrentPassword;
    bool connected = true;
    try {
        ftp.ConnectAndLogIn(true, -1);
    } catch (const std::exception& error) {
        ui::ProcessMessages();
        connected = false;
        // Asked for encryption and did not get it: the user learns why, and nothing went in clear.
        if (const QString why = ftps::FailureText(error); !why.isEmpty()) {
            host.AppendLog(NowStamp() + ": " + why.toLocal8Bit().toStdString());
            ui::ShowMessage(why);
        }
    }
    if (connected && !ftp.TLSVersion().empty())
        host.AppendLog(NowStamp() + ": " + ftps::EncryptedConnectionText(ftp.TLSVersion()).toLocal8Bit().toStdString());
    ui::ProcessMessages();
    return connected;
}

void MakeRemotePath(TIdFTP& ftp, const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (BreaksCommandLine(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
    ftp.ChangeRemoteDir("/");
    for (const std::string& name : RemoteWalkNames(path)) {
        try {
            ftp.TryMakeRemoteDir(name); // most often the folder exists: entering it tells whether it is usable
        } catch (const std::exception&) {
            // A failing connection shows again at once, in the change of folder below.
        }
        ftp.ChangeRemoteDir(name);
    }
    ftp.ChangeRemoteDir("/");
}

bool UploadOne(TCopyHost& host, const std::string& local, const std::string& remote) {
    TIdFTP& ftp = host.Ftp();
    // A name with CR, LF or NUL could smuggle a command of its own ("x\r\nDELE y"): the file fails
    // before anything of it reaches the server.
    if (BreaksCommandLine(remote))
        return false;
    // A server that dropped the line between two files is reached again; when that fails, so does this file.
    if (!ftp.IsOpen() && !ConnectToServer(host, FtpSettings.Server))
        return false;
    MakeRemotePath(ftp, RemoteFolderOf(remote));
    CurrentUploadTally().Reset();
    try {
        ftp.UploadFile(local, remote, false);
        return true;
    } catch (const std::exception&) {
        ui::ProcessMessages();
        return false;
    }
}

} // namespace copyjob
