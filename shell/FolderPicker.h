#pragma once
// The modal folder picker of the source-folder button.

#include <string>

class QWidget;

struct TFolderChoice {
    bool chosen = false;
    std::string path; // native separators, no trailing one except for the root; 8-bit local text
};

// Asks for a folder (title "Select Folder", nothing preselected), owned by `owner`.
TFolderChoice BrowseForFolder(QWidget* owner);
