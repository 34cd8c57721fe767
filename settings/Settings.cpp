#include "settings/Settings.h"

#include "settings/PasswordCipher.h"
#include "util/Paths.h"
#include "util/ProgramFolder.h"
#include "util/Utf8Text.h"

#include <algorithm>

TFtpSettings FtpSettings;
std::string CurrentPassword;
TCopyOptions CopyOptions;

namespace {
std::string& BaseStorage() {
    static std::string base;
    return base;
}
} // namespace

const std::string& SettingsBase() {
    return BaseStorage();
}

void SetSettingsBase(std::string base) {
    BaseStorage() = std::move(base);
}

std::string SettingsBaseBesideProgram(const std::string& programPath) {
    return ProgramFolder() + NameWithoutExtension(programPath);
}

std::string SettingsFile(std::string_view suffix) {
    return SettingsBase() + std::string(suffix);
}

std::string CutTo255(std::string_view text) {
    return CutOnCharBoundary(text, 255);
}

void ApplyPasswordRule(const std::string& editText, std::string& currentPassword) {
    if (editText.empty()) {
        currentPassword.clear();
        return;
    }
    // '*' never occurs inside a multi-byte character, so a byte test is a character test.
    if (std::all_of(editText.begin(), editText.end(), [](char c) { return c == '*'; }))
        return;
    currentPassword = editText;
}

std::string PasswordMask(const std::string& password) {
    return std::string(CharCount(password), '*');
}

void FillFtpSettings(TFtpSettings& settings, const std::string& folder, const std::string& server,
                     const std::string& login, const std::string& plainPassword, bool passive) {
    // The plain text is cut, not the cipher text: a cut cipher text would decipher to a
    // password cut in the middle of a character.
    settings.Password = plainPassword.empty() ? std::string() : EncryptPassword(CutTo255(plainPassword));
    settings.Folder = CutTo255(folder);
    settings.Server = CutTo255(server);
    settings.Login = CutTo255(login);
    settings.Passive = passive;
}
