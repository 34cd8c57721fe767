#pragma once
// Shortcuts to a program: a freedesktop launcher (".desktop") on Linux, a shell link (".lnk") on
// Windows. All texts are the program's 8-bit text (local encoding).

#include <string>

// The file name of a shortcut named after `baseName`: base + ".desktop" (Windows: ".lnk").
std::string ShortcutFileName(const std::string& baseName);

// Writes a shortcut at `linkPath` that starts `target` with `arguments` in the target's own folder,
// replacing a file of that name. A shortcut that cannot be written is silently not there.
// Windows: raises std::runtime_error when the shell link object cannot be created.
void CreateShortcut(const std::string& linkPath, const std::string& arguments, const std::string& target);

// Puts the shortcut `name` on the desktop of all users where possible, otherwise on the user's
// own desktop; writes nothing when the user's desktop already holds one of that name.
void PlaceDesktopShortcut(const std::string& name, const std::string& arguments, const std::string& target);

// Writes the shortcut `name` into the Send To folder, replacing one of that name. Linux: the
// folder is created first when missing, since nothing makes it before the first entry is added.
void PlaceSendToShortcut(const std::string& name, const std::string& target);
