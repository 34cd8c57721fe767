#include "util/Paths.h"

namespace {

bool IsSeparator(char c, PathStyle style) {
    if (style == PathStyle::Windows)
        return c == '\\' || c == ':';
    return c == '/';
}

std::string::size_type LastSeparator(const std::string& path, PathStyle style) {
    for (auto i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1], style))
            return i - 1;
    }
    return std::string::npos;
}

// True when `head` (the text before a separator) is a root, so that the separator belongs to it:
// nothing, a drive ("C:") or only separators ("\\" of a network path, "//").
bool IsRootHead(const std::string& head, PathStyle style) {
    const char sep = PathSeparator(style);
    if (head.find_first_not_of(sep) == std::string::npos)
        return true;
    return style == PathStyle::Windows && head.size() == 2 && head[1] == ':';
}

} // namespace

char PathSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

bool IsAbsolutePath(const std::string& path, PathStyle style) {
    if (path.empty())
        return false;
    if (style == PathStyle::Posix)
        return path.front() == '/';
    return path.front() == '\\' || path.front() == '/' || (path.size() >= 2 && path[1] == ':');
}

std::string StripTrailingBackslashes(const std::string& path, PathStyle style) {
    const char sep = PathSeparator(style);
    auto end = path.size();
    while (end > 0 && path[end - 1] == sep)
        --end;
    return path.substr(0, end);
}

std::string WithTrailingBackslash(const std::string& path, PathStyle style) {
    if (path.empty())
        return {};
    return StripTrailingBackslashes(path, style) + PathSeparator(style);
}

std::string FileNamePart(const std::string& path, PathStyle style) {
    const auto last = LastSeparator(path, style);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string FolderPart(const std::string& path, PathStyle style) {
    const auto last = LastSeparator(path, style);
    if (last == std::string::npos)
        return {};
    if (path[last] == ':')
        return path.substr(0, last + 1);
    const std::string head = path.substr(0, last);
    return IsRootHead(head, style) ? path.substr(0, last + 1) : head;
}

std::string NameWithoutExtension(const std::string& path, PathStyle style) {
    const std::string name = FileNamePart(path, style);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}
