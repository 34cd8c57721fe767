#include "util/ForceDeleteFile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

TEST(ForceDeleteFile, DeletesReadOnlyFilesAndLeavesFoldersAlone) {
    const TempFolder temp("fdel-");
    const fs::path root = temp.Path();

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
}

TEST(ForceDeleteFile, SilentWhenTheFolderForbidsTheDelete) {
#ifdef _WIN32
    GTEST_SKIP() << "folder permissions are not POSIX modes there";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop a privileged user";
#endif
    const TempFolder temp("fdel-");
    const fs::path root = temp.Path();
    const fs::path file = root / "stays.txt";
    std::ofstream(file) << "data";
    fs::permissions(root, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NO_THROW(ForceDeleteFile(file.string()));
    EXPECT_TRUE(fs::exists(file));
    fs::permissions(root, fs::perms::owner_all);
}

} // namespace
