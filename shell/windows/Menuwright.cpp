// Files\Menuwright.exe: opens the user's Send To folder in the file manager, where every entry is one item of
// the Send To menu: adding, renaming or deleting a file there changes the menu.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return 1;
    const HINSTANCE opened = ShellExecuteW(nullptr, L"explore", folder, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(opened) > 32 ? 0 : 1;
}
