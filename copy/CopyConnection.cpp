// The copy job's use of the FTP client: connecting, walking a remote folder chain, one upload.
#include "app/TForm1.h"
#include "app/settings/Settings.h"
#include "app/ui/UiLayer.h"
#include "copy/RemotePath.h"
#include "copy/UploadTally.h"
#include "ftp/TIdFTP.h"

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
    if (!IdFTP1->IsOpen())
        ConnectToServer(FtpSettings.Server);
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
