#pragma once
// Where a local file of a copy job goes on the server, and which folders lead there. Pure text
// rules: remote paths use "/" and are sent to the server as they are built here.

#include "copy/SourceFiles.h"
#include "util/Paths.h"

#include <string>
#include <vector>

// The path with exactly one leading "/": "" -> "/", "///a" -> "/a", "//" -> "/". Only the start
// is touched; a doubled "/" further in stays.
std::string OneLeadingSlash(const std::string& path);

// The text without "/" at its end; a text of "/" only becomes empty.
std::string StripTrailingSlashes(const std::string& text);

// The full remote path of `item`, a file listed from `source`, under the destination folder
// `destination` (as typed now). A "*.*" job puts the source folder itself (its last path field as
// typed) under the destination, with the item's subfolders; a single-file job stores destination +
// "/" + "/" + name (the doubled "/" is kept on purpose: servers treat it as one). Local separators
// become "/".
std::string RemotePathOf(const std::string& item, const TSourceSnapshot& source, const std::string& destination,
                         PathStyle style = NativePathStyle);

// The remote folder of a remote file path: everything before its last "/" ("/in/a.txt" -> "/in",
// "/in//a.txt" -> "/in/", "/a.txt" -> "").
std::string RemoteFolderOf(const std::string& remotePath);

// The folder names to create and enter, one level at a time from "/", to reach `folderPath`.
// Empty names (a trailing or doubled "/") are left out: an empty "CWD " is refused by many servers.
std::vector<std::string> RemoteWalkNames(const std::string& folderPath);
