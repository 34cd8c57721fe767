#pragma once
// The text of a freedesktop launcher (".desktop") that starts a program.

#include <string>

// A launcher that starts `target` with `arguments` (already in Exec syntax) and the files handed over, in the
// target's own folder, with the program's icon when Files/ferrylo.png is beside the target.
std::string LauncherText(const std::string& arguments, const std::string& target);
