#pragma once
// Path questions that a shortcut asks on every system (Shortcuts.cpp answers them for ShortcutsPosix.cpp and
// ShortcutsWindows.cpp).

#include <string>

// True when something of that name is there; false for an empty path.
bool ShortcutPathExists(const std::string& path);

// The target's folder with its trailing separator: the text up to and including the last one.
std::string FolderWithSeparator(const std::string& target);
