#pragma once
// Reading a server's folder listing: the lines of MLSD (machine facts) and of LIST (Unix "ls -l" or the
// Windows/DOS form). Pure text work; the transfer that fetches the text lives with the client. Nothing in a
// listing is trusted: a line that does not read cleanly is counted, not guessed at.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TListedEntry {
    enum class TKind { File, Folder, Other }; // Other: a link, a device, anything but a plain file or folder
    std::string Name;                         // as on the wire, no path
    TKind Kind = TKind::Other;
    std::optional<std::int64_t> Size;
    // Seconds since 1970-01-01 UTC; only where the format gives an exact UTC time.
    std::optional<std::int64_t> ModifiedUtc;
};

struct TFolderLines {
    std::vector<TListedEntry> Entries;
    std::size_t Unreadable = 0; // lines that could not be read (not counting "total N" and empty lines)
};

// A line longer than this is unreadable: no name a file system keeps comes near it.
constexpr std::size_t kMaxListingLineBytes = 4096;

// "type=file;size=12;modify=20261208120000.123; name". Nothing for an unreadable line and for the folder itself
// and its parent (type=cdir, type=pdir).
std::optional<TListedEntry> ParseMlsdLine(std::string_view line);
// Unix "ls -l" lines and Windows/DOS lines ("12-08-26  01:02PM  <DIR>  name", "... 1234 name"). LIST times are
// the server's local time, so ModifiedUtc stays empty.
std::optional<TListedEntry> ParseListLine(std::string_view line);
// Every line of a listing, CRLF or LF.
TFolderLines ParseFolderLines(std::string_view text, bool mlsd);
// The lines of a listing that are not empty: a bound on the entries it can give, counted before reading them.
std::size_t CountFolderLines(std::string_view text);

// "YYYYMMDDHHMMSS" with an optional fraction (".123", dropped), UTC, as MLSD's modify fact and MDTM give it.
std::optional<std::int64_t> ParseFtpTimestamp(std::string_view text);
