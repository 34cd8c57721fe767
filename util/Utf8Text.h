#pragma once
// Character-aware helpers over the program's 8-bit text. On Linux that text is UTF-8; on
// Windows it is the single-byte ANSI code page, where one byte is one character.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Code points of a UTF-8 text. A byte that does not start a well-formed sequence stands for
// itself as one code point in 0xDC80..0xDCFF, so any byte string decodes and compares.
std::vector<char32_t> DecodeUtf8(std::string_view text);

// Number of characters of the program's text (code points on Linux, bytes on Windows).
std::size_t CharCount(std::string_view text);

// At most `maxBytes` bytes of `text`, shortened further when the cut would split a character.
std::string CutOnCharBoundary(std::string_view text, std::size_t maxBytes);
