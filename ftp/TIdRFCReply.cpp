#include "ftp/TIdRFCReply.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int DecimalOrZero(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

} // namespace

std::string TrimBlanks(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

void TIdRFCReply::Clear() {
    NumericCode = 0;
    TextCode.clear();
    Text.clear();
    Lines.clear();
}

void TIdRFCReply::FillFromLines(const std::vector<std::string>& lines) {
    Clear();
    if (lines.empty())
        return;
    std::string code = TrimBlanks(lines.front().substr(0, 4));
    if (code.size() == 4 && code.back() == '-')
        code.pop_back();
    TextCode = code;
    if (!code.empty())
        NumericCode = DecimalOrZero(code);
    for (const std::string& line : lines)
        Text.push_back(line.size() > 4 ? line.substr(4) : std::string());
    Lines = lines;
}

bool IsReplyComplete(const std::vector<std::string>& lines) {
    if (lines.empty())
        return false;
    const std::string& first = lines.front();
    const bool multiLine = first.size() > 3 && first[3] == '-';
    if (!multiLine)
        return true;
    if (lines.size() == 1)
        return false;
    const std::string& last = lines.back();
    return last.size() < 4 || SameIgnoringCase(last.substr(0, 4), first.substr(0, 3) + " ");
}
