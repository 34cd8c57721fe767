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
    return NarrowText(WideText(utf8, CP_UTF8), CP_ACP);
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
