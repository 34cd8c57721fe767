// "Пропускать файлы, которые уже есть на сервере": a job run again sends only what the server lacks or holds in
// another form (another size, an older copy, a folder of the file's name), keeps the sources it skipped in a move,
// counts only what it sends, and never skips on a listing it cannot trust.
#include "CopyJobFixture.h"

#include "tests/support/PyFtpdServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Path.h"
#include "util/NativePath.h"

#include <chrono>
#include <filesystem>

using ferrylo::testing::PyFtpdServer;

namespace fs = std::filesystem;

namespace {

using SkipExistingTest = CopyJobFixture;

void SetModified(const fs::path& path, std::chrono::seconds fromNow) {
    fs::last_write_time(path, fs::file_time_type::clock::now() + fromNow);
}

TEST_F(SkipExistingTest, ARunAgainSendsOnlyWhatTheServerLacksAndKeepsTheSkippedSourcesOfAMove) {
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server;
    const std::string folder = makeFolder("src/Фото");
    struct File {
        const char* name;
        const char* onServer; // nullptr: not there
        std::chrono::seconds serverAge;
        bool skipped;
    };
    const File files[] = {
        {"same.txt", "same", std::chrono::seconds(0), true},
        {"sub/deep/same.jpg", "same", std::chrono::seconds(0), true},
        {"missing.txt", nullptr, std::chrono::seconds(0), false},
        {"sub/other-size.txt", "other", std::chrono::seconds(0), false},
        {"sub/older.txt", "same", std::chrono::hours(-48), false},
        {"new/in-a-new-folder.txt", nullptr, std::chrono::seconds(0), false},
    };
    const fs::path remoteTop = server.root() / "in" / Utf8Path("Фото");
    for (const File& file : files) {
        const std::string local = makeFile("src/Фото/" + std::string(file.name), "same");
        SetModified(NativePath(local), std::chrono::hours(-24));
        if (file.onServer == nullptr)
            continue;
        const fs::path remote = remoteTop / file.name;
        fs::create_directories(remote.parent_path());
        TempFolder::Put(remote.string(), file.onServer);
        SetModified(remote, file.serverAge);
    }
    // The first run finds two files there; the second finds the two sources it kept there again.
    for (const int connections : {1, 2}) {
        SCOPED_TRACE(connections);
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().options = {.DeleteSources = true,
                          .KnownFolders = connections > 1,
                          .ParallelUploads = connections,
                          .SkipExisting = true};
        setSource(folder, "*.*", "/in");
        host().log.clear();
        startJob();

        EXPECT_TRUE(errors().empty()) << server.log();
        for (const File& file : files) {
            const std::string source = inFolder(folder, EightBitPath(fs::path(file.name).make_preferred()));
            EXPECT_EQ(exists(source), file.skipped) << file.name;
            EXPECT_EQ(TempFolder::Get((remoteTop / file.name).string()), "same") << file.name;
            EXPECT_EQ(logged("Пропущен файл : " + shown(source) + " (уже на сервере, исходный файл оставлен)"),
                      file.skipped ? 1 : 0)
                << file.name;
        }
        EXPECT_EQ(logged(connections == 1 ? "Отправлено файлов : 4, пропущено (уже на сервере) : 2"
                                          : "Отправлено файлов : 0, пропущено (уже на сервере) : 2"),
                  1);
        EXPECT_EQ(logged("Начал копироваться файл"), connections == 1 ? 4 : 0);
        EXPECT_EQ(host().TotalBytes, connections == 1 ? 16 : 0); // only what is sent counts
        EXPECT_EQ(host().FinishedBytes, host().TotalBytes);
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
    }
}

} // namespace
