// The copy job's use of the FTP client: connecting, walking a remote folder chain, one upload.
#include "app/TForm1.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "copy/RemotePath.h"
#include "copy/UploadTally.h"
#include "ftp/TIdFTP.h"

#include <stdexcept>

bool TForm1::ConnectToServer(const std::string& host) {
    ui::ProcessMessages();
    if (IdFTP1->IsOpen()) {
        try {
            IdFTP1->AbortTransfer();
            IdFTP1->LeaveServer();
        } catch (const std::exception&) {
            // The server dropped an idle connection (left open by a failed job): nothing to say goodbye to.
            IdFTP1->CloseConnection();
        }
    }
    IdFTP1->SetHost(host);
    IdFTP1->Username = FtpSettings.Login;
    IdFTP1->Password = CurrentPassword;
    bool connected = true;
    try {
        IdFTP1->ConnectAndLogIn(true, -1);
    } catch (const std::exception&) {
        ui::ProcessMessages();
        connected = false;
    }
    ui::ProcessMessages();
    return connected;
}

void TForm1::MakeRemotePath(const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (HoldsLineBreakOrNul(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
    IdFTP1->ChangeRemoteDir("/");
    for (const std::string& name : RemoteWalkNames(path)) {
        try {
            IdFTP1->MakeRemoteDir(name);
        } catch (const std::exception&) {
            // Most often the folder exists; entering it below tells whether it is usable.
        }
        IdFTP1->ChangeRemoteDir(name);
    }
    IdFTP1->ChangeRemoteDir("/");
}

bool TForm1::UploadOne(const std::string& local, const std::string& remote) {
    // A name with CR, LF or NUL could smuggle a command of its own ("x\r\nDELE y"): the file fails
    // before anything of it reaches the server.
    if (HoldsLineBreakOrNul(remote))
        return false;
    // A server that dropped the line between two files is reached again; when that fails, so does this file.
    if (!IdFTP1->IsOpen() && !ConnectToServer(FtpSettings.Server))
        return false;
    MakeRemotePath(RemoteFolderOf(remote));
    CurrentUploadTally().Reset();
    try {
        IdFTP1->UploadFile(local, remote, false);
        return true;
    } catch (const std::exception&) {
        ui::ProcessMessages();
        return false;
    }
}
