#include "util/WireText.h"

#ifdef _WIN32
#include "util/NativePath.h"

#include <windows.h>

bool EightBitTextNeedsUtf8Wire() {
    return true;
}

std::string Utf8FromEightBit(const std::string& eightBit) {
    const std::wstring wide = WideText(eightBit);
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

#else

bool EightBitTextNeedsUtf8Wire() {
    return false;
}

std::string Utf8FromEightBit(const std::string& eightBit) {
    return eightBit;
}

#endif
