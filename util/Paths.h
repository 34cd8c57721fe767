#pragma once
// Path texts in either style. Windows style: '\' separates folders and the drive colon also ends
// the folder part ("C:x.txt"). Posix style: '/' separates folders. The program uses the native
// style; the other one is there so both can be exercised on any platform.
//
// The names keep "Backslash" because that is the separator of the native Windows build; in Posix
// style they work on '/'.

#include <string>

enum class PathStyle { Windows, Posix };

#ifdef _WIN32
inline constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle NativePathStyle = PathStyle::Posix;
#endif

// The folder separator of a style: '\' or '/'.
char PathSeparator(PathStyle style = NativePathStyle);

// True when the path does not start from the current folder: "/..." in Posix style; in Windows
// style a path that starts with a separator or names a drive ("C:\...", "\\server\...").
bool IsAbsolutePath(const std::string& path, PathStyle style = NativePathStyle);

// Removes every trailing separator ("C:\data\\" -> "C:\data", "\\\" -> "").
std::string StripTrailingBackslashes(const std::string& path, PathStyle style = NativePathStyle);

// Exactly one trailing separator; an empty text stays empty.
std::string WithTrailingBackslash(const std::string& path, PathStyle style = NativePathStyle);

// Everything after the last separator (or drive colon in Windows style).
std::string FileNamePart(const std::string& path, PathStyle style = NativePathStyle);

// Everything before the last separator; the separator of a root stays ("C:\a.txt" -> "C:\",
// "/a" -> "/"), and so does a drive colon ("C:a.txt" -> "C:"). No separator: empty.
std::string FolderPart(const std::string& path, PathStyle style = NativePathStyle);

// The file name part without its extension (the part from its last dot on): "C:\Tools\prog.exe"
// -> "prog", "a.b.c" -> "a.b", ".cfg" -> "".
std::string NameWithoutExtension(const std::string& path, PathStyle style = NativePathStyle);
