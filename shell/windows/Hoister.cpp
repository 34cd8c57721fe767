// Files\HOISTER.exe: starts the program named by its first argument again with administrator rights. The
// program has ended itself before this runs, so when the rights cannot be had (the user said no) it is started
// again as it was: the user is never left with no program at all.
#include <windows.h>

#include <shellapi.h>

namespace {
bool Started(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result) > 32; // the shell's documented success threshold
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2)
        return 2;
    const wchar_t* program = arguments[1];
    bool started = Started(ShellExecuteW(nullptr, L"runas", program, nullptr, nullptr, SW_SHOWNORMAL));
    if (!started)
        started = Started(ShellExecuteW(nullptr, L"open", program, nullptr, nullptr, SW_SHOWNORMAL));
    LocalFree(arguments);
    return started ? 0 : 1;
}
