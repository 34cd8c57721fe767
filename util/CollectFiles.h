#pragma once
// Lists the files of a folder that a copy job takes.

#include <string>
#include <vector>

// Appends to `list` the full path of every file of `folder` whose name matches `mask` (the mask
// "*.*" takes every name, also one without a dot), hidden files included, in the order the file
// system returns the entries. With `recurse`, the content of a subfolder is listed at the point
// where the subfolder is met. Works by making each folder the process's current directory; after
// the call the current directory is `folder`. A folder that cannot be entered yields nothing.
// Throws EMaskException for an unreadable mask and EInOutError when a folder cannot be made
// current again after one of its subfolders.
void CollectFiles(const std::string& mask, const std::string& folder, bool recurse, std::vector<std::string>& list);
