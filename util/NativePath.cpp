#include "util/NativePath.h"

#ifdef _WIN32
#include <windows.h>

std::wstring WideText(const std::string& text, unsigned codePage) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::filesystem::path NativePath(const std::string& eightBit) {
    return std::filesystem::path(WideText(eightBit));
}

std::string NarrowText(const std::wstring& wide, unsigned codePage) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string EightBitPath(const std::filesystem::path& path) {
    return NarrowText(path.native(), CP_ACP);
}

#else

std::filesystem::path NativePath(const std::string& eightBit) {
    return std::filesystem::path(eightBit);
}

std::string EightBitPath(const std::filesystem::path& path) {
    return path.native();
}

#endif
