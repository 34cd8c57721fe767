#include "copy/RemotePath.h"

#include <gtest/gtest.h>

namespace {

TEST(RemotePathText, OneLeadingSlashTouchesOnlyTheStart) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "/"}, {"/", "/"}, {"///", "/"}, {"a", "/a"}, {"//in/a", "/in/a"}, {"/in//a", "/in//a"}, {"in/", "/in/"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(OneLeadingSlash(in), out) << in;
}

TEST(RemotePathText, StripTrailingSlashesLeavesInnerSlashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"/", ""}, {"///", ""}, {"/in/", "/in"}, {"/in//", "/in"}, {"/in//a", "/in//a"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(StripTrailingSlashes(in), out) << in;
}

struct RemoteCase {
    PathStyle style;
    const char* folder;
    const char* fileName;
    const char* destination;
    const char* item;
    const char* remote;
};

TEST(RemotePathOf, FollowsTheFolderAndFileRules) {
    const RemoteCase cases[] = {
        // A whole folder goes under the destination with its own name and its subfolders.
        {PathStyle::Windows, R"(C:\data)", "*.*", "/in", R"(C:\data\a.txt)", "/in/data/a.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.*", "/in", R"(C:\data\sub\b.txt)", "/in/data/sub/b.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.*", "/in/", R"(C:\data\sub\b.txt)", "/in/data/sub/b.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.*", "/", R"(C:\data\a.txt)", "/data/a.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.*", "", R"(C:\data\a.txt)", "/data/a.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.*", "//in//", R"(C:\data\a.txt)", "/in/data/a.txt"},
        // Windows takes "/" as a separator too: the folder is still named by its last part.
        {PathStyle::Windows, "C:/data", "*.*", "/in", R"(C:\data\sub\b.txt)", "/in/data/sub/b.txt"},
        // A name that also occurs in its remote path is not confused with it.
        {PathStyle::Windows, R"(C:\data)", "*.*", "/in", R"(C:\data\a)", "/in/data/a"},
        {PathStyle::Windows, R"(C:\data\a)", "*.*", "/a", R"(C:\data\a\a)", "/a/a/a"},
        // Typed with a trailing separator: no folder name, and nothing cut off the file's name.
        {PathStyle::Windows, R"(C:\data\)", "*.*", "/in", R"(C:\data\a.txt)", "/in//a.txt"},
        {PathStyle::Windows, R"(C:\data\\)", "*.*", "/in", R"(C:\data\sub\b.txt)", "/in//sub/b.txt"},
        // A single file keeps the doubled "/" (except under "/", where it is the leading one).
        {PathStyle::Windows, R"(C:\data)", "a.txt", "/in", R"(C:\data\a.txt)", "/in//a.txt"},
        {PathStyle::Windows, R"(C:\data)", "*.txt", "/in/", R"(C:\data\b.txt)", "/in//b.txt"},
        {PathStyle::Windows, R"(C:\data)", "a.txt", "/", R"(C:\data\a.txt)", "/a.txt"},
        // The native Linux style: only "/" separates; a backslash is part of a name.
        {PathStyle::Posix, "/home/u/data", "*.*", "/in", "/home/u/data/sub/b.txt", "/in/data/sub/b.txt"},
        {PathStyle::Posix, "/home/u/data/", "*.*", "/in", "/home/u/data/a.txt", "/in//a.txt"},
        {PathStyle::Posix, "/home/u/data", "*.*", "/in", R"(/home/u/data/x\y.txt)", R"(/in/data/x\y.txt)"},
        {PathStyle::Posix, "/home/u/data", "a.txt", "/in", "/home/u/data/a.txt", "/in//a.txt"},
        {PathStyle::Posix, "/home/u/папка", "*.*", "/в", "/home/u/папка/файл", "/в/папка/файл"},
        // A relative folder is listed from the current folder and named as typed.
        {PathStyle::Posix, "data", "*.*", "/in", "/home/u/data/sub/b.txt", "/in/data/sub/b.txt"},
        {PathStyle::Windows, R"(data\)", "*.*", "/in", R"(C:\work\data\a.txt)", "/in//a.txt"},
        // A root keeps every file's whole path below it, in both styles alike.
        {PathStyle::Windows, R"(C:\)", "*.*", "/in", R"(C:\a\b.txt)", "/in//a/b.txt"},
        {PathStyle::Posix, "/", "*.*", "/in", "/a/b.txt", "/in//a/b.txt"},
        {PathStyle::Posix, "/", "a.txt", "/in", "/a.txt", "/in//a.txt"},
    };
    for (const RemoteCase& c : cases) {
        const char* current = c.style == PathStyle::Posix ? "/home/u" : R"(C:\work)";
        const TSourceSnapshot source = SnapshotSource(c.folder, c.fileName, current, c.style);
        EXPECT_EQ(RemotePathOf(c.item, source, c.destination, c.style), c.remote)
            << c.item << " from " << c.folder << " to " << c.destination;
    }
    // What a root lists from: the root itself, not an empty folder text.
    EXPECT_EQ(ListingFolder(SnapshotSource("/", "*.*", "/home/u", PathStyle::Posix), PathStyle::Posix), "/");
    EXPECT_EQ(ListingFolder(SnapshotSource(R"(C:\)", "*.*", "", PathStyle::Windows), PathStyle::Windows), R"(C:\)");
}

TEST(RemoteWalk, FolderOfARemoteFileAndTheNamesWalkedToIt) {
    struct WalkCase {
        const char* remote;
        const char* folder;
        std::vector<std::string> names;
    };
    const WalkCase cases[] = {
        {"/in/data/sub/b.txt", "/in/data/sub", {"in", "data", "sub"}},
        {"/in//a.txt", "/in/", {"in"}}, // the empty last field is skipped, not entered
        {"/a.txt", "", {}},
        {"/in//sub/b.txt", "/in//sub", {"in", "sub"}},
    };
    for (const WalkCase& c : cases) {
        EXPECT_EQ(RemoteFolderOf(c.remote), c.folder) << c.remote;
        EXPECT_EQ(RemoteWalkNames(RemoteFolderOf(c.remote)), c.names) << c.remote;
    }
    EXPECT_TRUE(RemoteWalkNames("/").empty());
    EXPECT_TRUE(RemoteWalkNames("").empty());
    EXPECT_EQ(RemoteWalkNames("/in/"), (std::vector<std::string>{"in"}));
}

} // namespace
