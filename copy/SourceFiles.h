#pragma once
// Looking up the local sources of a copy job.

#include <cstdint>
#include <optional>
#include <string>

// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

// True when `folderWithSeparator` + `name` is a file, or when `name` is a mask that some file of
// the folder matches (a mask that cannot be read matches nothing).
bool SomeFileMatches(const std::string& folderWithSeparator, const std::string& name);

// The size of the file at `path`, 64-bit; nothing when there is no file.
std::optional<std::int64_t> FileSizeOf(const std::string& path);
