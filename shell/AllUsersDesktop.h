#pragma once
// The one shell folder that only some systems have (ShellFoldersPosix.cpp, ShellFoldersWindows.cpp).

#include <string>

// The desktop shared by all users as the system records it; empty where there is none (always on Linux).
std::string AllUsersDesktopFolder();
