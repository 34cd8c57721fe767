#include "util/WireText.h"

#ifdef _WIN32
#include "util/NativePath.h"

#include <windows.h>

bool EightBitTextNeedsUtf8Wire() {
    return true;
}

std::string Utf8FromEightBit(const std::string& eightBit) {
    return NarrowText(WideText(eightBit), CP_UTF8);
}

std::string EightBitFromUtf8(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return NarrowText(wide, CP_ACP);
}

#else

bool EightBitTextNeedsUtf8Wire() {
    return false;
}

std::string Utf8FromEightBit(const std::string& eightBit) {
    return eightBit;
}

std::string EightBitFromUtf8(const std::string& utf8) {
    return utf8;
}

#endif
