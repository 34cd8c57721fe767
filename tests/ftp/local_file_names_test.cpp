// A local file with a Cyrillic name, named in the program's 8-bit text, opens for the upload with its size.
#include "ftp/FileStream.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include "tests/support/EightBitText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Path.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(LocalFileNames, CyrillicFilesOpenWithTheirSize) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    const TempFolder temp;
    for (const CyrillicName& name : kCyrillicNames) {
        SCOPED_TRACE(name.utf8);
        const std::string content(std::string(name.utf8).size() * 1000, 'x');
        std::ofstream(temp.Path() / Utf8Path(name.utf8), std::ios::binary) << content;
        TFileStream file(EightBitPath(temp.Path()) + PathSeparator() + name.EightBit());
        EXPECT_EQ(file.Size(), static_cast<int64_t>(content.size()));
        char first = 0;
        EXPECT_EQ(file.Read(&first, 1), 1);
        EXPECT_EQ(first, 'x');
    }
}

} // namespace
