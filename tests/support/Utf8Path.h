#pragma once
// A path made from UTF-8 text by the standard library itself, independent of the program's own conversion.

#include <filesystem>
#include <string>

inline std::filesystem::path Utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
