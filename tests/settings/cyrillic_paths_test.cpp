// Settings files in a folder with a Cyrillic name (a program kept in "Программы", a user's own folder): written,
// found, read back and replaced in one step, with the path in the program's 8-bit text.
#include "settings/FileIo.h"
#include "settings/TextFiles.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include "tests/support/EightBitText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Path.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(CyrillicSettingsFolder, FilesAreWrittenReadAndReplaced) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    const TempFolder temp;
    for (const CyrillicName& name : kCyrillicNames) {
        SCOPED_TRACE(name.utf8);
        const fs::path folder = temp.Path() / Utf8Path(name.utf8);
        ASSERT_TRUE(fs::create_directory(folder));
        const std::string file = EightBitPath(folder) + PathSeparator() + "ferrylo." + name.EightBit();

        EXPECT_FALSE(settings_io::FileExists(file));
        ASSERT_TRUE(WriteSingleLine(file, name.EightBit()));
        EXPECT_TRUE(fs::is_regular_file(folder / Utf8Path("ferrylo." + std::string(name.utf8))));
        EXPECT_TRUE(settings_io::FileExists(file));
        EXPECT_EQ(ReadFirstLine(file), name.EightBit());

        ReplaceTextLines(file, {"one", "two"});
        EXPECT_EQ(ReadTextLines(file), (std::vector<std::string>{"one", "two"}));
        EXPECT_FALSE(settings_io::FileExists(file + ".new"));
    }
}

} // namespace
