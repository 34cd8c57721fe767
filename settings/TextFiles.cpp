#include "settings/TextFiles.h"

#include "settings/FileIo.h"
#include "util/FileErrors.h"

#include <cerrno>
#include <limits>

std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto lf = content.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? content.size() : lf;
        std::size_t textEnd = end;
        if (lf != std::string_view::npos && textEnd > start && content[textEnd - 1] == '\r')
            --textEnd;
        lines.emplace_back(content.substr(start, textEnd - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    if (!settings_io::FileExists(path))
        return {};
    const settings_io::FileHandle file = settings_io::OpenForReading(path);
    if (!file.IsOpen())
        throw EFOpenError(path, errno);
    std::string content;
    if (!settings_io::ReadUpTo(file, std::numeric_limits<std::size_t>::max(), content))
        throw EInOutError(errno);
    return SplitLines(content);
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    settings_io::FileHandle file = settings_io::CreateAnew(path);
    if (!file.IsOpen())
        throw EFCreateError(path, errno);
    if (!settings_io::WriteAll(file, JoinLines(lines)) || !file.Close())
        throw EInOutError(errno);
}

void ReplaceTextLines(const std::string& path, const std::vector<std::string>& lines) {
    const std::string beside = path + ".new";
    try {
        WriteTextLines(beside, lines);
    } catch (...) {
        settings_io::RemoveFile(beside);
        throw;
    }
    if (!settings_io::MoveIntoPlace(beside, path))
        throw EFCreateError(path, errno);
}

std::optional<std::string> ReadFirstLine(const std::string& path) {
    if (!settings_io::FileExists(path))
        return std::nullopt;
    const settings_io::FileHandle file = settings_io::OpenForReading(path);
    if (!file.IsOpen())
        return std::nullopt;
    // Read only as far as the first line goes: what lies beyond it is none of our business.
    std::string content;
    for (;;) {
        const std::size_t before = content.size();
        if (!settings_io::ReadUpTo(file, before + 256, content))
            throw EInOutError(errno);
        if (content.find('\n', before) != std::string::npos || content.size() < before + 256)
            break;
    }
    const std::vector<std::string> lines = SplitLines(content);
    return lines.empty() ? std::string() : lines.front();
}

bool WriteSingleLine(const std::string& path, const std::string& line) {
    settings_io::FileHandle file = settings_io::CreateAnew(path);
    if (!file.IsOpen())
        return false;
    return settings_io::WriteAll(file, JoinLines({line})) && file.Close();
}
