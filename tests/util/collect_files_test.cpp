#include "util/CollectFiles.h"
#include "util/MaskMatch.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class CollectFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        startDir_ = fs::current_path();
        root_ = temp_.Path();
    }
    void TearDown() override {
        fs::current_path(startDir_);
        std::error_code ec;
        fs::permissions(root_ / "locked", fs::perms::owner_all, ec); // so the folder can go
    }

    void Touch(const fs::path& relative) {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative) << "x";
    }
    std::string Root() const { return root_.string(); }
    std::string Full(const fs::path& relative) const { return (root_ / fs::path(relative).make_preferred()).string(); }

    // The files in the order the listing must give them: a folder's entries as the file system
    // returns them, a subfolder's files where the subfolder is met.
    void ExpectedOrder(const fs::path& folder, std::vector<std::string>& out) const {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_directory())
                ExpectedOrder(entry.path(), out);
            else
                out.push_back(entry.path().string());
        }
    }

    TempFolder temp_{"collect-"};
    fs::path startDir_;
    fs::path root_;
};

TEST_F(CollectFilesTest, StarDotStarAlsoTakesNamesWithoutDotButNoFifo) {
    Touch("README");
    Touch("a.txt");
    Touch(".hidden");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(Full("pipe.txt").c_str(), 0600), 0); // opening it would wait for a writer for good
#endif
    std::vector<std::string> all, txt;
    CollectFiles("*.*", Root(), false, all);
    CollectFiles("*.txt", Root(), false, txt);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{Full(".hidden"), Full("README"), Full("a.txt")}));
    EXPECT_EQ(txt, std::vector<std::string>{Full("a.txt")});
}

TEST_F(CollectFilesTest, WithoutRecursionNoFileOfASubfolder) {
    Touch(".hidden.txt");
    Touch("sub/inner.txt");
    Touch("sub/deeper/deepest.txt");
    std::vector<std::string> list;
    CollectFiles("*.txt", Root(), false, list);
    EXPECT_EQ(list, std::vector<std::string>{Full(".hidden.txt")});
}

TEST_F(CollectFilesTest, SubfolderContentListedWhereTheSubfolderIsMet) {
    for (const char* f : {"a1.txt", "b/b1.txt", "b/b2.txt", "b/c/c1.txt", "d.txt", "e/e1.txt", "e/.e2", "z.txt"})
        Touch(f);
    fs::create_directories(root_ / "empty");
    std::vector<std::string> list{"kept"}, expected{"kept"};
    CollectFiles("*.*", Root(), true, list);
    ExpectedOrder(root_, expected);
    EXPECT_EQ(list, expected);
}

TEST_F(CollectFilesTest, MaskAppliesInEverySubfolder) {
    for (const char* f : {"a.TXT", "a.doc", "s/b.txt", "s/b.doc", "s/t/c.txt"})
        Touch(f);
    std::vector<std::string> list;
    CollectFiles("*.txt", Root(), true, list);
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (std::vector<std::string>{Full("a.TXT"), Full("s/b.txt"), Full("s/t/c.txt")}));
}

TEST_F(CollectFilesTest, CurrentFolderIsLeftAlone) {
    Touch("s/t/c.txt");
    std::vector<std::string> list;
    CollectFiles("*.*", Root() + static_cast<char>(fs::path::preferred_separator), true, list);
    EXPECT_EQ(fs::current_path(), startDir_);
    EXPECT_EQ(list, std::vector<std::string>{Full("s/t/c.txt")});
}

TEST_F(CollectFilesTest, RelativeFolderIsTakenFromTheCurrentFolder) {
    Touch("s/t/c.txt");
    fs::current_path(root_);
    std::vector<std::string> list;
    CollectFiles("*.txt", "s", true, list);
    EXPECT_EQ(list, std::vector<std::string>{(fs::canonical(root_) / fs::path("s/t/c.txt").make_preferred()).string()});
    EXPECT_EQ(fs::current_path(), fs::canonical(root_));
}

TEST_F(CollectFilesTest, FolderThatCannotBeEnteredYieldsNothing) {
    Touch("plain.txt");
    fs::current_path(root_);
    for (const std::string& folder : {std::string(), Full("missing"), Full("plain.txt")}) {
        std::vector<std::string> list{"kept"};
        // An unreadable mask is not even looked at when there is nothing to list.
        CollectFiles("[", folder, true, list);
        EXPECT_EQ(list, std::vector<std::string>{"kept"}) << folder;
        EXPECT_EQ(fs::current_path(), fs::canonical(root_)) << folder;
    }
}

TEST_F(CollectFilesTest, LockedSubfolderYieldsNothingAndTheWalkGoesOn) {
#ifdef _WIN32
    GTEST_SKIP() << "folder permissions are not POSIX modes there";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not lock out a privileged user";
#endif
    Touch("locked/secret.txt");
    Touch("open.txt");
    fs::permissions(root_ / "locked", fs::perms::none);
    std::vector<std::string> list;
    CollectFiles("*.*", Root(), true, list);
    EXPECT_EQ(list, std::vector<std::string>{Full("open.txt")});
    EXPECT_EQ(fs::current_path(), startDir_);
}

TEST_F(CollectFilesTest, LinkBackToAnAncestorIsNotWalkedAgain) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder link needs a privilege there";
#endif
    Touch("s/c.txt");
    fs::create_directory_symlink("..", root_ / "s" / "up");
    std::vector<std::string> list;
    CollectFiles("*.*", Root(), true, list);
    EXPECT_EQ(list, std::vector<std::string>{Full("s/c.txt")});
}

TEST_F(CollectFilesTest, UnreadableMaskRaises) {
    Touch("a.txt");
    std::vector<std::string> list;
    EXPECT_THROW(CollectFiles("a[b.txt", Root(), false, list), EMaskException);
    EXPECT_TRUE(list.empty());
}

} // namespace
