#pragma once
// Where the desktop keeps the user's Send To entries and the desktops. Each folder text ends in
// exactly one separator, or is empty when the desktop has no such place.

#include <string>

// The file manager's Send To folder: $XDG_DATA_HOME/Thunar/sendto/ (default
// ~/.local/share/Thunar/sendto/). Windows: the "SendTo" shell folder of the current user.
std::string SendToFolder();

#ifndef _WIN32
// The user's data folder of the XDG base directory rules: $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share/. The file managers keep their menu entries under it.
std::string DataHomeFolder();
#endif

// The user's desktop. Windows: the "Desktop" shell folder of the current user.
std::string DesktopFolder();

// The desktop shared by all users; where there is none (always on Linux) the user's desktop.
std::string CommonDesktopFolder();
