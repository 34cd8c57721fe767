#pragma once
// The program's 8-bit text is UTF-8 on Linux and the ANSI code page (Windows-1251 for Russian) on Windows,
// where every byte is one character: tests of multi-byte boundaries mean something only on the first.

#include <gtest/gtest.h>

#ifdef _WIN32
#define SKIP_WHERE_A_BYTE_IS_A_CHARACTER()                                                                             \
    GTEST_SKIP() << "8-bit text is the ANSI code page there: a byte is a character"
inline constexpr const char* kCyrillicPassword = "\xef\xe0\xf0\xee\xeb\xfc"; // "пароль" in Windows-1251
#else
#define SKIP_WHERE_A_BYTE_IS_A_CHARACTER() static_cast<void>(0)
inline constexpr const char* kCyrillicPassword = "пароль";
#endif

// Cyrillic names as the program's 8-bit text and as UTF-8 (what the file system stores on Linux and what a UTF-8
// server reads). On Windows the 8-bit text is Windows-1251, which needs the Russian code page.
struct CyrillicName {
    const char* windows1251;
    const char* utf8;
#ifdef _WIN32
    const char* EightBit() const {
        return windows1251;
    }
#else
    const char* EightBit() const {
        return utf8;
    }
#endif
};

inline constexpr CyrillicName kCyrillicNames[] = {
    {"\xef\xe0\xef\xea\xe0", "папка"},
    {"\xa8\xeb\xea\xe0 \xb8\xe6", "Ёлка ёж"}, // Ё and ё lie outside the run of the other letters
    {"\xdf\xd9\xc8\xca \xda", "ЯЩИК Ъ"},
};

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h> // a file that uses sockets includes winsock2.h before this header
#define SKIP_UNLESS_RUSSIAN_CODE_PAGE()                                                                                \
    if (GetACP() != 1251)                                                                                              \
    GTEST_SKIP() << "needs the Russian code page (under Wine: LC_ALL=ru_RU.UTF-8)"
#else
#define SKIP_UNLESS_RUSSIAN_CODE_PAGE() static_cast<void>(0)
#endif
