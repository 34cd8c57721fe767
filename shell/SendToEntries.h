#pragma once
// Send To on Linux: each file manager found on the machine gets the menu entry of its own kind that opens the selected
// folder or file in the program, as its first command-line argument. All texts are the program's 8-bit text.

#include <string>
#include <vector>

struct TFileManagerPlace {
    const char* program;    // the file manager's program, looked for on PATH
    const char* folder;     // where it reads its entries, under the user's data folder, with a trailing separator
    const char* nameSuffix; // after the program's base name
    std::string (*text)(const std::string& target);
    bool executable; // the file manager runs only entries marked so
};

// Thunar's Send To launchers, Nautilus's scripts, Nemo's actions and Dolphin's service menus, in this order; the Send
// To menu editor (Files/Menuwright) opens the first of these folders that exists.
const std::vector<TFileManagerPlace>& FileManagerPlaces();

// Writes an entry for `target`, named after `baseName`, for each file manager whose program is on PATH, or for Thunar
// alone when none is (the Send To folder the program always used), replacing an entry of that name. Folders are made
// when missing; an entry that cannot be written is silently not there.
void PlaceSendToEntries(const std::string& baseName, const std::string& target);
