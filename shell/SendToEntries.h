#pragma once
// Send To on Linux: each file manager found on the machine gets the menu entry of its own kind that opens the selected
// folder or file in the program, as its first command-line argument. All texts are the program's 8-bit text.

#include <string>

// Writes an entry for `target`, named after `baseName`, for each file manager whose program is on PATH, or for Thunar
// alone when none is (the Send To folder the program always used), replacing an entry of that name: a launcher in
// Thunar's Send To folder, a script in Nautilus's scripts, an action in Nemo's actions, a service menu in Dolphin's
// service menus, each under the user's data folder (Files/Menuwright opens the first of these that exists, in this
// order). Folders are made when missing; an entry that cannot be written is silently not there.
void PlaceSendToEntries(const std::string& baseName, const std::string& target);
