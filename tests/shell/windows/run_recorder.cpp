// A harmless stand-in for a program that the tests start: it writes its working folder and its arguments, one a
// line in UTF-8, to "out.txt" beside itself, through a temporary name so a reader never sees half of it.
#include <windows.h>

#include <shellapi.h>
#include <string>

namespace {
std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring out = self;
    out = out.substr(0, out.find_last_of(L'\\') + 1) + L"out.txt";

    std::string text = Utf8(folder) + "\n";
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i)
        text += Utf8(arguments[i]) + "\n";
    LocalFree(arguments);

    const std::wstring part = out + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
