#pragma once
// The entries of one local folder, read by the platform's own listing in the program's 8-bit text.

#include <string>
#include <vector>

enum class EntryKind { Folder, File, Other };

struct TFolderEntry {
    std::string Name;
    EntryKind Kind;
};

// The entries of `folder` (its path ends in a separator), "." and ".." left out, links followed. Only regular
// files count as files: opening a FIFO waits for a writer for good, and a device or a socket is nothing to
// upload. False when the folder cannot be listed.
bool ReadFolderEntries(const std::string& folder, std::vector<TFolderEntry>& entries);
