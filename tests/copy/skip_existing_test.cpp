// "Пропускать файлы, которые уже есть на сервере": a job run again sends only what the server lacks or holds in
// another form (another size, an older copy, a folder of the file's name), keeps the sources it skipped in a move,
// counts only what it sends, and never skips on a listing it cannot trust.
#include "CopyJobFixture.h"

#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"
#include "tests/support/Utf8Path.h"
#include "util/NativePath.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>

using ferrylo::testing::FakeFtpServer;
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
        std::ofstream(remote, std::ios::binary) << file.onServer; // a wide path on Windows: Cyrillic survives
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
            EXPECT_EQ(readFile(remoteTop / file.name), "same") << file.name;
            EXPECT_EQ(logged(": Пропущен файл : " + shown(source) + " (уже на сервере, исходный файл оставлен)"),
                      file.skipped ? 1 : 0)
                << file.name;
        }
        EXPECT_EQ(logged(connections == 1 ? ": Отправлено файлов : 4, пропущено (уже на сервере) : 2"
                                          : ": Отправлено файлов : 0, пропущено (уже на сервере) : 2"),
                  1);
        EXPECT_EQ(logged(": Начал копироваться файл"), connections == 1 ? 4 : 0);
        EXPECT_EQ(host().TotalBytes, connections == 1 ? 16 : 0); // only what is sent counts
        EXPECT_EQ(host().FinishedBytes, host().TotalBytes);
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
    }
}

// Against a scripted server, one job over a listing of each kind: what the listing says of each file decides; a
// line it cannot read has the file asked for alone; a cut listing skips nothing; a folder the job made is not listed.
TEST_F(SkipExistingTest, TheFolderListingDecidesAndAListingNotWholeSkipsNothing) {
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const auto modify = [](std::int64_t utc) {
        const std::time_t time = static_cast<std::time_t>(utc);
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d%H%M%S", std::gmtime(&time));
        return std::string(text);
    };
    struct Case {
        const char* file;
        std::string mlsd, list; // its line in either listing; empty: not listed
        bool skippedByMlsd, skippedByList;
    };
    const Case cases[] = {
        {"missing.txt", "", "", false, false},
        {"same.txt", "type=file;size=4;modify=" + modify(now) + "; same.txt",
         "-rw-r--r-- 1 u g 4 Dec  8 12:00 same.txt", true, true},
        // LIST tells no exact time: MDTM is asked for the job's files it shows, and says "now".
        {"older.txt", "type=file;size=4;modify=" + modify(now - 7200) + "; older.txt",
         "-rw-r--r-- 1 u g 4 Dec  8 12:00 older.txt", false, true},
        {"future.txt", "type=file;size=4;modify=" + modify(now + 3 * 86400) + "; future.txt",
         "-rw-r--r-- 1 u g 4 Dec  8 12:00 future.txt", false, true},
        {"other size.txt", "type=file;size=5;modify=" + modify(now) + "; other size.txt",
         "-rw-r--r-- 1 u g 5 Dec  8 12:00 other size.txt", false, false},
        {"folder.txt", "type=dir;modify=" + modify(now) + "; folder.txt",
         "drwxr-xr-x 2 u g 4096 Dec  8 12:00 folder.txt", false, false},
        {"odd/asked.txt", "", "", true, true}, // its folder's listing has a line it cannot read: asked for alone
        {"sub/same.txt", "", "", false, false},
        {"new/x.txt", "", "", false, false},
    };
    for (const bool mlsd : {true, false}) {
        SCOPED_TRACE(mlsd ? "MLSD" : "LIST");
        FakeFtpServer::Options options;
        options.features = mlsd ? std::vector<std::string>{"MLST type*;size*;modify*;", "SIZE", "MDTM"}
                                : std::vector<std::string>{"SIZE", "MDTM"};
        FakeFtpServer server(options);
        for (const char* folder : {"/in", "/in/data", "/in/data/sub", "/in/data/odd"})
            server.addFolder(folder);
        std::string listing = mlsd ? "type=cdir; .\r\n" : "total 8\r\n";
        for (const Case& c : cases) {
            const std::string line = mlsd ? c.mlsd : c.list;
            listing += line.empty() ? "" : line + "\r\n";
            makeFile(std::string("src/data/") + c.file, "1234");
            SetModified(NativePath(programFolder() + "src/data/" + c.file), std::chrono::hours(-1));
        }
        // Its subfolders as the server has them; "new" is not there, so it is not asked for.
        for (const char* folder : {"sub", "odd"})
            listing += (mlsd ? "type=dir; " : "drwxr-xr-x 2 u g 4096 Dec  8 12:00 ") + std::string(folder) + "\r\n";
        server.setListing("/in/data", listing);
        server.setListing("/in/data/odd", (mlsd ? cases[1].mlsd : cases[1].list) + "\r\nan unreadable line\r\n");
        server.setListing("/in/data/sub", mlsd ? cases[1].mlsd : cases[1].list, FakeFtpServer::ListingEnd::Cut);
        server.setReply("SIZE", "213 4");
        server.setReply("MDTM", "213 " + modify(now));
        pointAt(server.host(), server.port(), "tester", "secret");
        setSource(makeFolder("src/data"), "*.*", "/in");
        host().options = {.SkipExisting = true};
        host().ftp.FollowUpTimeLimit = 100; // the cut listing's second reply is not waited for long
        startJobKeepingSources();

        EXPECT_TRUE(errors().empty());
        std::set<std::string> stored;
        for (const auto& file : server.stored())
            stored.insert(file.argument);
        for (const Case& c : cases) {
            const bool skipped = mlsd ? c.skippedByMlsd : c.skippedByList;
            EXPECT_EQ(stored.count("/in/data/" + std::string(c.file)), skipped ? 0u : 1u) << c.file;
        }
        const std::vector<std::string> commands = server.commands();
        const auto sent = [&commands](const std::string& command) {
            return std::count(commands.begin(), commands.end(), command);
        };
        const std::string verb = mlsd ? "MLSD " : "LIST ";
        EXPECT_EQ(sent(verb + "/in/data"), 1);
        EXPECT_EQ(sent(verb + "/in/data/sub"), 1);
        EXPECT_EQ(sent(verb + "/in/data/new"), 0); // not in its parent's listing: nothing to ask
        EXPECT_EQ(sent("SIZE /in/data/odd/asked.txt") + sent("MDTM /in/data/odd/asked.txt"), 2);
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                                [](const std::string& command) { return command.starts_with("MDTM "); }),
                  mlsd ? 1 : 5); // LIST: the four files it shows, asked together
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                                [](const std::string& command) { return command.starts_with("SIZE "); }),
                  1); // a listed file costs no command of its own
    }
}

} // namespace
