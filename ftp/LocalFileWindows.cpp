#include "ftp/LocalFile.h"

#include "util/NativePath.h"

#include <windows.h>

namespace ftp::local_file {

namespace {

HANDLE AsHandle(Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

} // namespace

Handle OpenForReading(const std::string& path) {
    HANDLE file = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<Handle>(file);
}

void Close(Handle file) {
    CloseHandle(AsHandle(file));
}

int64_t SizeOf(Handle file) {
    LARGE_INTEGER size{};
    GetFileSizeEx(AsHandle(file), &size);
    return size.QuadPart;
}

int64_t ReadAt(Handle file, void* buffer, int64_t count, int64_t position) {
    LARGE_INTEGER at;
    at.QuadPart = position;
    SetFilePointerEx(AsHandle(file), at, nullptr, FILE_BEGIN);
    DWORD got = 0;
    // One ReadFile takes a 32-bit count; the caller reads again for the rest.
    const DWORD wanted = static_cast<DWORD>(count > 0x40000000 ? 0x40000000 : count);
    if (!ReadFile(AsHandle(file), buffer, wanted, &got, nullptr))
        return -1;
    return static_cast<int64_t>(got);
}

int LastError() {
    return static_cast<int>(GetLastError());
}

std::string ErrorText(int error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(error), 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
    return reason;
}

} // namespace ftp::local_file
