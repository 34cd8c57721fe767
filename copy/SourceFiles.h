#pragma once
// Looking up and listing the local sources of a copy job.

#include "util/Paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

// True when `folderWithSeparator` + `name` is a regular file, or when `name` is a mask that some
// regular file of the folder matches (a mask that cannot be read matches nothing). A name that
// holds a separator is no file name and matches nothing.
bool SomeFileMatches(const std::string& folderWithSeparator, const std::string& name,
                     PathStyle style = NativePathStyle);

// The size of the file at `path`, 64-bit; nothing when there is no file.
std::optional<std::int64_t> FileSizeOf(const std::string& path);
// When the file at `path` was last written, in whole seconds since 1970 UTC; nothing when there is no file.
std::optional<std::int64_t> FileModifiedUtcOf(const std::string& path);

// The source of a job, fixed when its files are listed. Remote paths are built from it, so that
// editing the source fields during the job cannot move or merge the files still to come.
struct TSourceSnapshot {
    std::string Folder;       // the listed folder, absolute, without trailing separators ("" for "/")
    bool WholeFolder = false; // "*.*": the folder with all its subfolders
    std::string Top;          // the folder's own name as typed; empty when typed with a trailing
                              // separator, and for a single-file job
};

// The snapshot of a job whose source folder was typed as `typedFolder` with the file name
// `fileName`; a relative folder is taken from `currentFolder`.
TSourceSnapshot SnapshotSource(const std::string& typedFolder, const std::string& fileName,
                               const std::string& currentFolder, PathStyle style = NativePathStyle);

// The snapshot's folder with one trailing separator: what is listed, and how every listed path begins.
std::string ListingFolder(const TSourceSnapshot& source, PathStyle style = NativePathStyle);

// Appends the files of a job to `list`. A file name (not "*.*") that names a regular file of the
// folder is that one file, literally, even when it holds mask characters ("a[1].txt", as the file
// picker fills it); any other name is a mask over the folder's own files; "*.*" takes the tree.
// Throws EMaskException for an unreadable mask.
void ListSourceFiles(const TSourceSnapshot& source, const std::string& fileName, std::vector<std::string>& list);
