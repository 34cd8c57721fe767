#include "shell/ShellFolders.h"

#include "util/NativePath.h"
#include "util/Paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QDir>
#include <QStandardPaths>
#endif

namespace {

#ifdef _WIN32
// Reads one text value of a "Shell Folders" key as UTF-16, into the program's 8-bit text; the key is opened for
// reading only, never created.
std::string ShellFolderValue(HKEY root, const char* key, const wchar_t* value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return {};
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);
    DWORD type = 0;
    std::string result;
    if (RegQueryValueExW(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        result = EightBitPath(std::filesystem::path(buffer));
    RegCloseKey(handle);
    return result;
}

constexpr const char* kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCommonShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";
#else
std::string Local8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// The XDG base directory rules ignore a relative $XDG_DATA_HOME.
QString DataHome() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured); // no doubled separator from a trailing one
    return QDir::homePath() + QStringLiteral("/.local/share");
}
#endif

} // namespace

std::string SendToFolder() {
#ifdef _WIN32
    return WithTrailingBackslash(ShellFolderValue(HKEY_CURRENT_USER, kUserShellFolders, L"SendTo"));
#else
    return WithTrailingBackslash(Local8Bit(DataHome() + QStringLiteral("/Thunar/sendto")));
#endif
}

std::string DesktopFolder() {
#ifdef _WIN32
    return WithTrailingBackslash(ShellFolderValue(HKEY_CURRENT_USER, kUserShellFolders, L"Desktop"));
#else
    return WithTrailingBackslash(Local8Bit(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
#endif
}

std::string CommonDesktopFolder() {
    std::string folder;
#ifdef _WIN32
    folder = ShellFolderValue(HKEY_LOCAL_MACHINE, kCommonShellFolders, L"Common Desktop");
#endif
    if (folder.empty())
        folder = DesktopFolder();
    return WithTrailingBackslash(folder);
}
