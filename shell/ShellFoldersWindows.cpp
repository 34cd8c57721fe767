// Shell folders on Windows: the values of the registry's "Shell Folders" keys.
#include "shell/AllUsersDesktop.h"
#include "shell/ShellFolders.h"

#include "util/NativePath.h"
#include "util/Paths.h"

#include <windows.h>

namespace {

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

} // namespace

std::string SendToFolder() {
    return WithTrailingBackslash(ShellFolderValue(HKEY_CURRENT_USER, kUserShellFolders, L"SendTo"));
}

std::string DesktopFolder() {
    return WithTrailingBackslash(ShellFolderValue(HKEY_CURRENT_USER, kUserShellFolders, L"Desktop"));
}

std::string AllUsersDesktopFolder() {
    return ShellFolderValue(HKEY_LOCAL_MACHINE, kCommonShellFolders, L"Common Desktop");
}
