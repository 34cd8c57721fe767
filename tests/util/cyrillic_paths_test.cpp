// Cyrillic folder and file names reach the file system whole: on Windows the program's 8-bit text (the ANSI code
// page) goes to it as UTF-16, on Linux as the bytes themselves; names read from it come back as the same 8-bit text.
#include "util/CollectFiles.h"
#include "util/ForceDeleteFile.h"
#include "util/NativePath.h"
#include "util/Paths.h"
#include "util/WireText.h"

#include "tests/support/EightBitText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(CyrillicPaths, FoldersAndFilesAreListedFoundAndDeleted) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    const TempFolder temp;
    const std::string root = EightBitPath(temp.Path()) + PathSeparator();
    std::vector<std::string> expected;
    for (const CyrillicName& name : kCyrillicNames) {
        SCOPED_TRACE(name.utf8);
        const fs::path folder = temp.Path() / Utf8Path(name.utf8);
        ASSERT_TRUE(fs::create_directory(folder));
        std::ofstream(folder / Utf8Path(std::string(name.utf8) + ".txt")) << "abc";
        const std::string folder8 = root + name.EightBit();
        EXPECT_TRUE(fs::equivalent(NativePath(folder8), folder));
        EXPECT_EQ(EightBitPath(folder), folder8);
        expected.push_back(folder8 + PathSeparator() + name.EightBit() + ".txt");
    }

    std::vector<std::string> listed;
    CollectFiles("*.txt", root, true, listed);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    for (const std::string& file : expected) {
        ForceDeleteFile(file);
        EXPECT_FALSE(fs::exists(NativePath(file))) << file;
    }
}

TEST(CyrillicPaths, NamesForAUtf8ServerAreUtf8) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    for (const CyrillicName& name : kCyrillicNames)
        EXPECT_EQ(Utf8FromEightBit(name.EightBit()), name.utf8);
    EXPECT_EQ(Utf8FromEightBit("plain/ascii name"), "plain/ascii name");
    EXPECT_EQ(Utf8FromEightBit(""), "");
}

} // namespace
