// The main window's explicit TLS (FTPS): the "Шифрование (FTPS)" box, its line in ".ftps", and the FTP client's
// question about a certificate that no trusted authority vouches for.
#include "app/TForm1.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"

#include <QCheckBox>

void TForm1::CheckBox3Click() {
    IdFTP1->UseTLS = CheckBox3->isChecked();
}

bool TForm1::IdFTP1VerifyPeer(const TIdTLSPeer& peer) {
    return ftps::AskAboutCertificate(this, peer);
}

void TForm1::readFtpsSettingsFile() {
    const TFtpsFile file = TFtpsFile::Read(SettingsFile(FtpsSuffix));
    CheckBox3->setChecked(file.Encryption());
    IdFTP1->UseTLS = CheckBox3->isChecked();
    CopyOptions.KnownFolders = file.KnownFolders(); // the options window takes them when it is made
    CopyOptions.ParallelUploads = file.ParallelUploads();
}

bool TForm1::saveFtpsSettingsFile() {
    // Read first: the accepted certificates and what later versions keep there stay as they are.
    const std::string path = SettingsFile(FtpsSuffix);
    TFtpsFile file = TFtpsFile::Read(path);
    file.SetEncryption(CheckBox3->isChecked());
    return file.Write(path);
}
