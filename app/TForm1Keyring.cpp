// The main window's side of the system's keyring: with "Хранить пароль в системном хранилище" on, a password the user
// agrees to save goes to the keyring and the ".MyIni" slot stays empty, so the record keeps its format; start-up
// looks there before it asks. A password an earlier version left in ".MyIni" is used as it is until the next save.
#include "app/TForm1.h"
#include "keyring/PasswordStore.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"

namespace {

TKeyringEntry EntryOf(const TFtpSettings& settings) {
    // What ".MyIni" keeps, so that start-up asks for the entry the save made.
    return {ui::FromSystemText(settings.Server), ui::FromSystemText(settings.Login)};
}

} // namespace

std::optional<std::string> TForm1::passwordFromKeyring() {
    // Read here: the rest of ".ftps" is taken in after ".MyIni".
    if (!TFtpsFile::Read(SettingsFile(FtpsSuffix)).PasswordInKeyring())
        return std::nullopt;
    const TKeyringRead kept = passwords_->Read(EntryOf(FtpSettings));
    if (kept.Answer != TKeyringAnswer::Found)
        return std::nullopt;
    return ui::ToSystemText(kept.Password);
}

bool TForm1::keepPasswordInKeyring(TFtpSettings& record) {
    const TKeyringEntry entry = EntryOf(record);
    if (CurrentPassword.empty()) {
        // "Нет" or an empty field: no password is kept anywhere, and start-up must not find an older one. A keyring
        // that does not answer has nothing to say to the user here.
        passwords_->Erase(entry);
        return true;
    }
    if (!passwords_->Write(entry, ui::FromSystemText(CurrentPassword)))
        return false;
    record.Password.clear();
    return true;
}

QString TForm1::keyringUnreachableText(const std::string& myIniPath) {
    const std::string fileName = myIniPath.substr(myIniPath.find_last_of("/\\") + 1);
    return QStringLiteral("Нет доступа к системному хранилищу паролей, пароль сохранен в файле ") +
           ui::FromSystemText(fileName);
}
