// The main window's explicit TLS (FTPS) and SFTP: the "Шифрование (FTPS)" and "Протокол SFTP (SSH)" boxes and their
// lines in ".ftps". The certificate and host key questions belong to each connection: the copy job's host and the
// connection check ask them.
#include "app/TForm1.h"
#include "copy/UploadJob.h"
#include "ftp/TIdFTP.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QLineEdit>

void TForm1::CheckBox3Click() {
    IdFTP1->UseTLS = CheckBox3->isChecked();
}

void TForm1::CheckBox4Click() {
    // SSH has its own encryption and no data connections.
    CheckBox2->setEnabled(!CheckBox4->isChecked());
    CheckBox3->setEnabled(!CheckBox4->isChecked());
}

bool TForm1::UsesSftp() const {
    return kSftpAvailable && CheckBox4->isChecked();
}

void TForm1::Edit4Edited() {
    static const QString scheme = QStringLiteral("sftp://");
    const QString typed = Edit4->text();
    if (!kSftpAvailable || !typed.startsWith(scheme, Qt::CaseInsensitive))
        return;
    QString server = typed.mid(scheme.size());
    if (server.endsWith(QLatin1Char('/')))
        server.chop(1); // as a browser would write it
    Edit4->setText(server);
    CheckBox4->setChecked(true);
    CheckBox4Click();
}

void TForm1::readFtpsSettingsFile() {
    const TFtpsFile file = TFtpsFile::Read(SettingsFile(FtpsSuffix));
    CheckBox3->setChecked(file.Encryption());
    IdFTP1->UseTLS = CheckBox3->isChecked();
    CheckBox4->setChecked(kSftpAvailable && file.Sftp());
    CheckBox4->setEnabled(kSftpAvailable); // this build has no SSH
    CheckBox4Click();
    CopyOptions.KnownFolders = file.KnownFolders(); // the options window takes them when it is made
    CopyOptions.ParallelUploads = file.ParallelUploads();
    CopyOptions.SkipExisting = file.SkipExisting();
    CopyOptions.PasswordInKeyring = file.PasswordInKeyring();
}

bool TForm1::saveFtpsSettingsFile() {
    // Read first: the accepted certificates and what later versions keep there stay as they are.
    const std::string path = SettingsFile(FtpsSuffix);
    TFtpsFile file = TFtpsFile::Read(path);
    file.SetEncryption(CheckBox3->isChecked());
    file.SetSftp(CheckBox4->isChecked());
    // Saved with the record whose password slot it explains: a password the keyring took is looked for there.
    file.SetPasswordInKeyring(Options().PasswordInKeyring);
    return file.Write(path);
}
