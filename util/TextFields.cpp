#include "util/TextFields.h"

#include <algorithm>

std::string FieldOf(int n, const std::string& text, char sep) {
    if (n < 1 || text.empty())
        return {};
    std::string::size_type start = 0;
    for (int field = 1; field < n; ++field) {
        const auto next = text.find(sep, start);
        if (next == std::string::npos)
            return {};
        start = next + 1;
    }
    const auto end = text.find(sep, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string PipeField(int n, const std::string& text) {
    return FieldOf(n, text, '|');
}

int FieldCount(const std::string& text, char sep) {
    if (text.empty())
        return 0;
    return static_cast<int>(std::count(text.begin(), text.end(), sep)) + 1;
}
