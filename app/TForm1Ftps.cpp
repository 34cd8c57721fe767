// The main window's explicit TLS (FTPS): the "Шифрование (FTPS)" box and its line in ".ftps". The certificate
// question belongs to each connection: the copy job's host and the connection check ask it.
#include "app/TForm1.h"
#include "ftp/TIdFTP.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"

#include <QCheckBox>

void TForm1::CheckBox3Click() {
    IdFTP1->UseTLS = CheckBox3->isChecked();
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
