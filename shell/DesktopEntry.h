#pragma once
// The texts of freedesktop launchers (".desktop") that start a program, and their parts that the file managers' other
// menu entries share.

#include <string>

// A value of a desktop entry key: backslash and control characters escaped.
std::string EscapeEntryValue(const std::string& text);

// One argument of an Exec line: double-quoted with the characters that the quoting rules reserve escaped, so a path
// with blanks, quotes or "$" reaches the program as one untouched argument.
std::string QuoteExecArgument(const std::string& argument);

// The Exec line (before value escaping) that starts `target` with `arguments` (already in Exec syntax) and then the
// files handed over (%F); a literal '%' is doubled.
std::string LauncherExec(const std::string& arguments, const std::string& target);

// Files/ferrylo.png beside the target when it is there, else a generic program icon.
std::string LauncherIcon(const std::string& target);

// A launcher that starts `target` with `arguments` (already in Exec syntax) and the files handed over, in the
// target's own folder, with the program's icon when Files/ferrylo.png is beside the target.
std::string LauncherText(const std::string& arguments, const std::string& target);
