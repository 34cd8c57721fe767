#pragma once
// Local paths for the file system. The program's 8-bit text is the ANSI code page on Windows, where the C
// runtime's and std::filesystem's narrow forms do not reliably read it: every file system call takes the
// path as UTF-16 made here. On Linux the 8-bit text is the bytes the file system keeps, so nothing changes.

#include <filesystem>
#include <string>

// The path that `eightBit` names, ready for std::filesystem (and, through c_str(), for the wide calls).
std::filesystem::path NativePath(const std::string& eightBit);

// A name or path read from the file system, back in the program's 8-bit text. On Windows a character the
// ANSI code page lacks becomes '?'.
std::string EightBitPath(const std::filesystem::path& path);

#ifdef _WIN32
// The same conversion for a text that is not a path (command-line parameters handed to the shell); with another
// `codePage` (CP_UTF8: the wire of a UTF-8 server), from that one instead of the 8-bit text (CP_ACP, 0).
std::wstring WideText(const std::string& text, unsigned codePage = 0);
// UTF-16 into the code page `codePage` (CP_ACP: the 8-bit text; CP_UTF8: the wire of a UTF-8 server).
std::string NarrowText(const std::wstring& wide, unsigned codePage);
#endif
