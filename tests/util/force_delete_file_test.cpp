#include "util/ForceDeleteFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(ForceDeleteFile, DeletesReadOnlyFilesAndLeavesFoldersAlone) {
    std::string pattern = (fs::temp_directory_path() / "fdel-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;

    const fs::path readOnly = root / "ro.txt";
    std::ofstream(readOnly) << "data";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const fs::path folder = root / "folder";
    fs::create_directory(folder);

    ForceDeleteFile(readOnly.string());
    ForceDeleteFile(folder.string());
    ForceDeleteFile((root / "missing").string());

    EXPECT_FALSE(fs::exists(readOnly));
    EXPECT_TRUE(fs::is_directory(folder));
    fs::remove_all(root);
}

TEST(ForceDeleteFile, SilentWhenTheFolderForbidsTheDelete) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop a privileged user";
    std::string pattern = (fs::temp_directory_path() / "fdel-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    const fs::path file = root / "stays.txt";
    std::ofstream(file) << "data";
    fs::permissions(root, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NO_THROW(ForceDeleteFile(file.string()));
    EXPECT_TRUE(fs::exists(file));
    fs::permissions(root, fs::perms::owner_all);
    fs::remove_all(root);
}

} // namespace
