#pragma once
// The three text settings files: ".path" (one destination folder a line) and the one-line files
// ".iniInp" and ".inisearch". Lines are written with CR LF; reading takes CR LF and LF alike.
// Lines are kept byte for byte: no trimming, empty lines stay.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Lines of a file's content; a last line without an ending counts, an ending does not start a
// further line.
std::vector<std::string> SplitLines(std::string_view content);

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// All lines; a missing file gives none. A file that is there but cannot be opened throws
// EFOpenError; a read error afterwards throws EInOutError.
std::vector<std::string> ReadTextLines(const std::string& path);

// Creates the file anew with the lines. Throws EFCreateError when it cannot be created and
// EInOutError when writing or closing fails.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// The same, written beside the file first and then put in its place in one step, so that a reader at any moment
// sees the old lines or the new ones. Throws as WriteTextLines.
void ReplaceTextLines(const std::string& path, const std::vector<std::string>& lines);

// The first line; nothing when the file is missing or cannot be opened. A read error after
// opening throws EInOutError. An empty file has an empty first line.
std::optional<std::string> ReadFirstLine(const std::string& path);

// Creates the file anew with one line; false when it cannot be created or written.
bool WriteSingleLine(const std::string& path, const std::string& line);
