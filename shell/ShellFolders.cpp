#include "shell/ShellFolders.h"

#include "shell/AllUsersDesktop.h"
#include "util/Paths.h"

std::string CommonDesktopFolder() {
    std::string folder = AllUsersDesktopFolder();
    if (folder.empty())
        folder = DesktopFolder();
    return WithTrailingBackslash(folder);
}
