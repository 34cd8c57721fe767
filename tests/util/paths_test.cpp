#include "util/Paths.h"
#include "util/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr auto Win = PathStyle::Windows;
constexpr auto Posix = PathStyle::Posix;

struct PathCase {
    PathStyle style;
    const char* in;
    const char* out;
};

void Check(const char* what, std::string (*fn)(const std::string&, PathStyle), std::initializer_list<PathCase> cases) {
    for (const auto& c : cases)
        EXPECT_EQ(fn(c.in, c.style), c.out)
            << what << "('" << c.in << "') in " << (c.style == Win ? "Windows" : "Posix") << " style";
}

TEST(Paths, StripTrailingBackslashes) {
    Check("StripTrailingBackslashes", StripTrailingBackslashes,
          {{Win, "", ""},
           {Win, "C:\\", "C:"},
           {Win, "C:\\data\\\\\\", "C:\\data"},
           {Win, "\\\\\\", ""},
           {Win, "a/", "a/"},
           {Posix, "/", ""},
           {Posix, "/data///", "/data"},
           {Posix, "a\\", "a\\"}});
}

TEST(Paths, WithTrailingBackslash) {
    Check("WithTrailingBackslash", WithTrailingBackslash,
          {{Win, "", ""},
           {Win, "C:", "C:\\"},
           {Win, "C:\\data", "C:\\data\\"},
           {Win, "C:\\data\\\\\\", "C:\\data\\"},
           {Win, "\\\\", "\\"},
           {Posix, "", ""},
           {Posix, "/srv/data", "/srv/data/"},
           {Posix, "/srv/data///", "/srv/data/"},
           {Posix, "///", "/"}});
}

TEST(Paths, NameWithoutExtension) {
    Check("NameWithoutExtension", NameWithoutExtension,
          {{Win, "C:\\Tools\\prog.exe", "prog"},
           {Win, "a.b.c", "a.b"},
           {Win, "readme", "readme"},
           {Win, ".cfg", ""},
           {Win, "C:\\x.y\\readme", "readme"},
           {Win, "C:prog.exe", "prog"},
           {Win, "dir/a.b", "dir/a"}, // '/' is no separator in Windows style
           {Posix, "/opt/tools/prog.bin", "prog"},
           {Posix, "/x.y/readme", "readme"},
           {Posix, "/opt/ferrylo", "ferrylo"},
           {Posix, "C:\\Tools\\prog.exe", "C:\\Tools\\prog"}});
}

TEST(Paths, FolderAndFileNameParts) {
    Check("FolderPart", FolderPart,
          {{Win, "C:\\prog.exe", "C:\\"},
           {Win, "C:\\Tools\\prog.exe", "C:\\Tools"},
           {Win, "C:prog.exe", "C:"},
           {Win, "\\prog.exe", "\\"},
           {Win, "\\\\server\\share\\prog.exe", "\\\\server\\share"},
           {Win, "prog.exe", ""},
           {Posix, "/prog", "/"},
           {Posix, "/opt/tools/prog", "/opt/tools"},
           {Posix, "prog", ""},
           {Posix, "tools/prog", "tools"}});
    Check("FileNamePart", FileNamePart,
          {{Win, "C:\\Tools\\prog.exe", "prog.exe"},
           {Win, "C:prog.exe", "prog.exe"},
           {Win, "C:\\Tools\\", ""},
           {Posix, "/opt/tools/prog", "prog"},
           {Posix, "prog", "prog"}});
}

TEST(Paths, ProgramFolderHasOneTrailingSeparator) {
    const struct {
        PathStyle style;
        const char* program;
        const char* folder;
    } cases[] = {
        {Win, "C:\\Tools\\prog.exe", "C:\\Tools\\"},
        {Win, "C:\\prog.exe", "C:\\"},
        {Posix, "/opt/ferrylo/ferrylo", "/opt/ferrylo/"},
        {Posix, "/ferrylo", "/"},
    };
    for (const auto& c : cases) {
        SetProgramFolder(c.program, c.style);
        EXPECT_EQ(ProgramFolder(), c.folder) << c.program;
    }
}

} // namespace
