#pragma once
// Lists the files of a folder that a copy job takes.

#include <string>
#include <vector>

// Appends to `list` the full path of every regular file of `folder` whose name matches `mask` (the
// mask "*.*" takes every name, also one without a dot), hidden files included, in the order the
// file system returns the entries; FIFOs, sockets and devices are left out. With `recurse`, the
// content of a subfolder is listed at the point where the subfolder is met; a link back to a folder
// being listed is not followed. A relative `folder` is taken from the current folder; the current
// folder is not changed. A folder that cannot be entered yields nothing. Throws EMaskException for
// an unreadable mask (once some folder could be entered).
void CollectFiles(const std::string& mask, const std::string& folder, bool recurse, std::vector<std::string>& list);
