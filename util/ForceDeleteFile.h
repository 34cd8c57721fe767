#pragma once

#include <string>

// Deletes the file at `path` even when it is read-only: makes it writable first. Does nothing
// when no file is there (a folder is not a file) and reports nothing when the delete fails.
void ForceDeleteFile(const std::string& path);
