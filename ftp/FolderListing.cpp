#include "ftp/FolderListing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <utility>

namespace {

using TKind = TListedEntry::TKind;

// What one line gave: an entry, nothing worth counting (the folder itself, its parent), or nothing readable.
enum class TLineResult { Entry, Skipped, Unreadable };

struct TToken {
    std::string_view Text;
    std::size_t End = 0; // offset in the line just past the token
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

std::vector<TToken> Tokens(std::string_view line) {
    std::vector<TToken> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && !IsBlank(line[at]))
            ++at;
        if (at > start)
            tokens.push_back({line.substr(start, at - start), at});
    }
    return tokens;
}

std::optional<int> SmallNumber(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 4 || !AllDigits(text))
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A whole non-negative number within int64; a sign, a blank, a separator or too many digits reads as nothing.
std::optional<std::int64_t> Size(std::string_view text) {
    std::int64_t value = 0;
    if (!AllDigits(text))
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A name a folder can hold: nothing that points elsewhere (a path, the folder itself, its parent) or ends a C string.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// A LIST line's verdict by its name: the folder itself and its parent, which some servers list, are left out.
TLineResult ListLineResult(const TListedEntry& entry) {
    if (entry.Kind == TListedEntry::TKind::Folder && (entry.Name == "." || entry.Name == ".."))
        return TLineResult::Skipped;
    return IsPlainName(entry.Name) ? TLineResult::Entry : TLineResult::Unreadable;
}

bool IsValidDate(int year, int month, int day) {
    using namespace std::chrono;
    return year_month_day(std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                          std::chrono::day(static_cast<unsigned>(day)))
        .ok();
}

// ---- MLSD ----

TLineResult ReadMlsdLine(std::string_view line, TListedEntry& entry) {
    const std::size_t space = line.find(' ');
    if (line.size() > kMaxListingLineBytes || space == std::string_view::npos)
        return TLineResult::Unreadable;
    // Facts up to the first blank; the name is everything after it, blanks and ';' included.
    std::string_view facts = line.substr(0, space);
    entry.Name = std::string(line.substr(space + 1));
    std::array<bool, 3> seen{}; // type, size, modify: a fact given twice leaves its meaning open
    bool skipped = false;
    while (!facts.empty()) {
        const std::size_t semicolon = facts.find(';');
        const std::string_view fact = facts.substr(0, semicolon);
        facts = semicolon == std::string_view::npos ? std::string_view() : facts.substr(semicolon + 1);
        if (fact.empty())
            continue;
        const std::size_t equals = fact.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return TLineResult::Unreadable;
        const std::string key = Lower(fact.substr(0, equals));
        const std::string_view value = fact.substr(equals + 1);
        if (key == "type") {
            const std::string type = Lower(value);
            entry.Kind = type == "file" ? TKind::File : type == "dir" ? TKind::Folder : TKind::Other;
            skipped = type == "cdir" || type == "pdir";
        } else if (key == "size") {
            entry.Size = Size(value);
            if (!entry.Size)
                return TLineResult::Unreadable;
        } else if (key == "modify") {
            entry.ModifiedUtc = ParseFtpTimestamp(value);
            if (!entry.ModifiedUtc)
                return TLineResult::Unreadable;
        } else {
            continue;
        }
        const std::size_t which = key == "type" ? 0 : key == "size" ? 1 : 2;
        if (std::exchange(seen[which], true))
            return TLineResult::Unreadable;
    }
    if (skipped)
        return TLineResult::Skipped;
    return IsPlainName(entry.Name) ? TLineResult::Entry : TLineResult::Unreadable;
}

// ---- LIST, Unix ----

// "drwxr-xr-x", with an optional mark of extended rights ("+", ".", "@") after it.
bool IsUnixMode(std::string_view mode) {
    if (mode.size() != 10 && mode.size() != 11)
        return false;
    if (std::string_view("-dlbcpsD").find(mode[0]) == std::string_view::npos)
        return false;
    for (std::size_t i = 1; i < 10; ++i)
        if (std::string_view("rwxsStTlL-").find(mode[i]) == std::string_view::npos)
            return false;
    return mode.size() == 10 || std::string_view("+.@").find(mode[10]) != std::string_view::npos;
}

bool IsMonthName(std::string_view text) {
    static const std::array<std::string_view, 12> months = {"jan", "feb", "mar", "apr", "may", "jun",
                                                            "jul", "aug", "sep", "oct", "nov", "dec"};
    return text.size() == 3 && std::find(months.begin(), months.end(), Lower(text)) != months.end();
}

// "12:05" or "9:05".
bool IsClockTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
        return false;
    const auto hour = SmallNumber(text.substr(0, colon));
    const auto minute = SmallNumber(text.substr(colon + 1));
    return hour && minute && *hour < 24 && *minute < 60;
}

// "12:05" (this half year) or "2024" (older).
bool IsTimeOrYear(std::string_view text) {
    return (text.size() == 4 && AllDigits(text)) || IsClockTime(text);
}

// "2026-12-08", as servers that list in the ISO style write the day.
bool IsIsoDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const auto year = SmallNumber(text.substr(0, 4));
    const auto month = SmallNumber(text.substr(5, 2));
    const auto day = SmallNumber(text.substr(8, 2));
    return year && month && day && IsValidDate(*year, *month, *day);
}

// The tokens of the date: "Dec 8 12:05", "Dec 8 2024" or "2026-12-08 12:05".
struct TUnixDate {
    std::size_t First = 0;
    std::size_t Last = 0;
};

// Searched past the owner, behind a number (the size): an owner or group named like a month is passed over
// because no day follows it.
std::optional<TUnixDate> FindUnixDate(const std::vector<TToken>& tokens) {
    for (std::size_t i = 2; i + 1 < tokens.size(); ++i) {
        if (!Size(tokens[i - 1].Text))
            continue;
        if (IsIsoDay(tokens[i].Text) && IsClockTime(tokens[i + 1].Text))
            return TUnixDate{i, i + 1};
        if (i + 2 < tokens.size() && IsMonthName(tokens[i].Text)) {
            const auto day = SmallNumber(tokens[i + 1].Text);
            if (day && *day >= 1 && *day <= 31 && IsTimeOrYear(tokens[i + 2].Text))
                return TUnixDate{i, i + 2};
        }
    }
    return std::nullopt;
}

TLineResult ReadUnixLine(std::string_view line, const std::vector<TToken>& tokens, TListedEntry& entry) {
    if (!IsUnixMode(tokens[0].Text))
        return TLineResult::Unreadable;
    const auto date = FindUnixDate(tokens);
    if (!date)
        return TLineResult::Unreadable;
    // The name starts after the one blank behind the date, so names that begin or end with blanks keep them.
    const std::size_t nameStart = tokens[date->Last].End + 1;
    if (nameStart >= line.size())
        return TLineResult::Unreadable;
    std::string_view name = line.substr(nameStart);
    const char type = tokens[0].Text[0];
    if (type == 'l')
        name = name.substr(0, name.find(" -> "));
    entry.Name = std::string(name);
    entry.Kind = type == '-' ? TKind::File : type == 'd' ? TKind::Folder : TKind::Other;
    // The size field of a device holds its numbers, not a size: only files and folders keep one.
    if (entry.Kind != TKind::Other)
        entry.Size = Size(tokens[date->First - 1].Text);
    return ListLineResult(entry);
}

// ---- LIST, Windows/DOS ----

// "12-08-26" or "12-08-2026" (month first), '-' or '/' between.
bool IsDosDay(std::string_view text) {
    if (text.size() != 8 && text.size() != 10)
        return false;
    if (text[2] != text[5] || (text[2] != '-' && text[2] != '/'))
        return false;
    const auto month = SmallNumber(text.substr(0, 2));
    const auto day = SmallNumber(text.substr(3, 2));
    const auto year = SmallNumber(text.substr(6));
    return month && day && year && IsValidDate(text.size() == 8 ? 2000 + *year : *year, *month, *day);
}

// "01:02PM" or "13:02"; "01:02 PM" has its mark in a token of its own.
bool IsDosTime(std::string_view text) {
    if (text.size() >= 2) {
        const std::string mark = Lower(text.substr(text.size() - 2));
        if (mark == "am" || mark == "pm")
            text.remove_suffix(2);
    }
    return IsClockTime(text);
}

TLineResult ReadDosLine(std::string_view line, const std::vector<TToken>& tokens, TListedEntry& entry) {
    if (tokens.size() < 4 || !IsDosDay(tokens[0].Text) || !IsDosTime(tokens[1].Text))
        return TLineResult::Unreadable;
    std::size_t field = 2;
    const std::string mark = Lower(tokens[2].Text);
    if (mark == "am" || mark == "pm")
        ++field;
    if (field + 1 >= tokens.size())
        return TLineResult::Unreadable;
    const std::string_view sizeOrKind = tokens[field].Text;
    if (sizeOrKind == "<DIR>") {
        entry.Kind = TKind::Folder;
    } else if (sizeOrKind.front() == '<' && sizeOrKind.back() == '>') {
        entry.Kind = TKind::Other; // <JUNCTION>, <SYMLINKD> and the like
    } else {
        entry.Kind = TKind::File;
        entry.Size = Size(sizeOrKind);
        if (!entry.Size)
            return TLineResult::Unreadable;
    }
    // The columns are padded to line up, so the name starts at the first byte that is not a blank.
    std::size_t nameStart = tokens[field].End;
    while (nameStart < line.size() && IsBlank(line[nameStart]))
        ++nameStart;
    entry.Name = std::string(line.substr(nameStart));
    return ListLineResult(entry);
}

TLineResult ReadListLine(std::string_view line, TListedEntry& entry) {
    if (line.size() > kMaxListingLineBytes)
        return TLineResult::Unreadable;
    const std::vector<TToken> tokens = Tokens(line);
    if (tokens.size() < 4)
        return TLineResult::Unreadable;
    return IsDigit(line.front()) ? ReadDosLine(line, tokens, entry) : ReadUnixLine(line, tokens, entry);
}

// "total 8", which "ls -l" writes before the entries.
bool IsTotalLine(std::string_view line) {
    const std::vector<TToken> tokens = Tokens(line);
    return tokens.size() == 2 && tokens[0].Text == "total" && AllDigits(tokens[1].Text);
}

bool IsEmptyLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), IsBlank);
}

template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t lineFeed = text.find('\n');
        std::string_view line = text.substr(0, lineFeed);
        text = lineFeed == std::string_view::npos ? std::string_view() : text.substr(lineFeed + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line);
    }
}

} // namespace

std::optional<std::int64_t> ParseFtpTimestamp(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot != std::string_view::npos) {
        // The fraction says nothing the comparison needs; it only has to be a fraction.
        const std::string_view fraction = text.substr(dot + 1);
        if (fraction.size() > 9 || !AllDigits(fraction))
            return std::nullopt;
        text = text.substr(0, dot);
    }
    if (text.size() != 14 || !AllDigits(text))
        return std::nullopt;
    const auto field = [text](std::size_t at, std::size_t length) { return *SmallNumber(text.substr(at, length)); };
    const int year = field(0, 4), month = field(4, 2), day = field(6, 2);
    const int hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    if (!IsValidDate(year, month, day) || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    using namespace std::chrono;
    const sys_days date = year_month_day(std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day)));
    return date.time_since_epoch().count() * std::int64_t{86400} + hour * 3600 + minute * 60 + second;
}

std::optional<TListedEntry> ParseMlsdLine(std::string_view line) {
    TListedEntry entry;
    if (ReadMlsdLine(line, entry) != TLineResult::Entry)
        return std::nullopt;
    return entry;
}

std::optional<TListedEntry> ParseListLine(std::string_view line) {
    TListedEntry entry;
    if (ReadListLine(line, entry) != TLineResult::Entry)
        return std::nullopt;
    return entry;
}

TFolderLines ParseFolderLines(std::string_view text, bool mlsd) {
    TFolderLines lines;
    ForEachLine(text, [&lines, mlsd](std::string_view line) {
        if (IsEmptyLine(line) || (!mlsd && IsTotalLine(line)))
            return;
        TListedEntry entry;
        switch (mlsd ? ReadMlsdLine(line, entry) : ReadListLine(line, entry)) {
        case TLineResult::Entry:
            lines.Entries.push_back(std::move(entry));
            break;
        case TLineResult::Skipped:
            break;
        case TLineResult::Unreadable:
            ++lines.Unreadable;
            break;
        }
    });
    return lines;
}

std::size_t CountFolderLines(std::string_view text) {
    std::size_t count = 0;
    ForEachLine(text, [&count](std::string_view line) { count += IsEmptyLine(line) ? 0 : 1; });
    return count;
}
