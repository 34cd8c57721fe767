#pragma once
// The program's 8-bit text is UTF-8 on Linux and the ANSI code page (Windows-1251 for Russian) on Windows,
// where every byte is one character: tests of multi-byte boundaries mean something only on the first.

#include <gtest/gtest.h>

#ifdef _WIN32
#define SKIP_WHERE_A_BYTE_IS_A_CHARACTER() GTEST_SKIP() << "8-bit text is the ANSI code page there: a byte is a character"
inline constexpr const char* kCyrillicPassword = "\xef\xe0\xf0\xee\xeb\xfc"; // "пароль" in Windows-1251
#else
#define SKIP_WHERE_A_BYTE_IS_A_CHARACTER() static_cast<void>(0)
inline constexpr const char* kCyrillicPassword = "пароль";
#endif
