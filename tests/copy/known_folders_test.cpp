// "Не проверять уже созданные папки": the same files at the same paths with fewer commands, and a folder
// removed on the server during the job made again.
#include "CopyJobFixture.h"

#include "tests/support/FakeFtpServer.h"

#include <algorithm>
#include <map>
#include <set>

using ferrylo::testing::FakeFtpServer;

namespace {

const QString kMoveQuestion = QStringLiteral("Удалить исходные файлы после копирования (перенос файлов)?");

class KnownFoldersTest : public CopyJobFixture {
protected:
    // A tree of five files in four folders, moved to /in with the option as given.
    void prepareTree(const FakeFtpServer& server, bool knownFolders) {
        for (const char* file : {"a.txt", "b.txt", "sub/c.txt", "sub/deep/d.txt", "other/e.txt"})
            makeFile(std::string("src/data/") + file, file);
        pointAt(server.host(), server.port(), "tester", "secret");
        setSource(makeFolder("src/data"), "*.*", "/in");
        host().options.KnownFolders = knownFolders;
        script_.clear();
    }
    // Only the move question was shown: no failure, no error box.
    bool quiet() const {
        return script_.texts() == std::vector<QString>(script_.texts().size(), kMoveQuestion) && errors().empty();
    }
    static std::map<std::string, std::string> storedFiles(const FakeFtpServer& server) {
        std::map<std::string, std::string> files;
        for (const auto& file : server.stored())
            files[file.argument] = file.content;
        return files;
    }
};

TEST_F(KnownFoldersTest, SameFilesAtTheSamePathsWithFewerCommands) {
    // Also with a server that ends the control connection after every second store: each new connection,
    // which starts in its login folder, is taken to "/" before its first store.
    for (const std::size_t closeAfterStores : {0u, 2u}) {
        SCOPED_TRACE(closeAfterStores);
        FakeFtpServer::Options options;
        options.closeAfterStores = closeAfterStores;
        FakeFtpServer walked(options), known(options);
        prepareTree(walked, false);
        startJobKeepingSources();
        prepareTree(known, true);
        startJobKeepingSources();

        ASSERT_EQ(storedFiles(walked).size(), 5u);
        EXPECT_EQ(storedFiles(known), storedFiles(walked));
        EXPECT_LT(known.commands().size() + 20, walked.commands().size());
        std::multiset<std::string> made;
        std::string sinceLogIn;
        for (const std::string& command : known.commands()) {
            if (command.rfind("MKD", 0) == 0)
                made.insert(command);
            if (command.rfind("PASS", 0) == 0)
                sinceLogIn = "PASS";
            else if (sinceLogIn == "PASS" && (command == "CWD /" || command.rfind("STOR", 0) == 0))
                sinceLogIn = command;
            EXPECT_NE(sinceLogIn.rfind("STOR", 0), 0u) << "a store before \"CWD /\" on a new connection";
        }
        for (const std::string& command : made)
            EXPECT_EQ(made.count(command), 1u) << command << " is asked once, whatever the connection";
        EXPECT_EQ(known.sessionCount(), closeAfterStores ? 3u : 1u);
        EXPECT_TRUE(quiet());
    }
}

TEST_F(KnownFoldersTest, FolderRemovedDuringTheJobIsMadeAgain) {
    // After each store the source folder goes from the server: the next file finds a known folder missing,
    // whether its store is refused (553) or entering the folder its walk starts from (550).
    FakeFtpServer::Options options;
    options.storeNeedsFolder = true;
    FakeFtpServer server(options);
    prepareTree(server, true);
    onWorkEnd([&] { server.removeFolder("/in/data"); });
    startJobKeepingSources();

    EXPECT_EQ(storedFiles(server).size(), 5u);
    const auto commands = server.commands();
    EXPECT_GT(std::count_if(commands.begin(), commands.end(), [](auto& c) { return c.rfind("STOR", 0) == 0; }), 5)
        << "a refused store was tried again";
    EXPECT_TRUE(quiet());
}

} // namespace
