// Several connections at once against a real server: every file arrives whole, the log keeps one pair of lines
// per file, a failure starts no new file and deletes no source it did not confirm, and a stop ends them all.
#include "CopyJobFixture.h"

#include "app/CopyJob.h"
#include "ftp/SocketFaults.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"
#include "ui/TProgressBar.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <stdexcept>
#include <thread>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

namespace {

class ParallelUploads : public CopyJobFixture {
protected:
    // `count` files over 10 folders, each a different size and content; returns their paths under "src/tree".
    std::vector<std::pair<std::string, std::string>> makeTree(int count, std::size_t baseSize) {
        std::vector<std::pair<std::string, std::string>> files;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "d%d/f%03d.bin", i % 10, i);
            std::string period(251, '\0'); // a period no buffer size divides: a misplaced block shows
            for (std::size_t b = 0; b < period.size(); ++b)
                period[b] = static_cast<char>((b * 31 + static_cast<std::size_t>(i)) % 251);
            std::string bytes;
            const std::size_t size = baseSize + static_cast<std::size_t>(i) * 7;
            while (bytes.size() < size)
                bytes += period;
            bytes.resize(size);
            makeFile("src/tree/" + std::string(name), bytes);
            files.emplace_back(name, std::move(bytes));
        }
        return files;
    }

    void startOn(const PyFtpdServer& server, int connections, bool knownFolders) {
        pointAt(server.host(), server.port(), server.user(), server.password());
        setSource(sourceTree(), "*.*", "/in");
        host().options.ParallelUploads = connections;
        host().options.KnownFolders = knownFolders;
        startJob();
    }

    std::string sourceTree() const { return inFolder(programFolder() + "src", "tree"); }
    // A tree file's path on this system, as the log names it.
    std::string sourceFile(const std::string& name) const {
        return inFolder(sourceTree(), std::filesystem::path(name).make_preferred().string());
    }

    // Files named in log lines that begin with `prefix`.
    std::vector<std::string> logged(const std::string& prefix) const {
        std::vector<std::string> items;
        for (const std::string& text : logTexts()) {
            if (text.rfind(prefix, 0) == 0)
                items.push_back(text.substr(prefix.size()));
        }
        return items;
    }
};

TEST_F(ParallelUploads, TreeArrivesWholeWithOnePairOfLogLinesPerFile) {
    struct Case {
        const char* name;
        bool knownFolders;
        int serverLimit; // connections the server allows one address; 0: any number
    };
    for (const Case& row : {Case{"every walk", false, 0}, Case{"known folders", true, 0},
                            Case{"a server that allows two connections", true, 2}}) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(programFolder() + "src");
        const auto files = makeTree(300, 100);
        PyFtpdServer server(PyFtpdServer::Tls::Off, row.serverLimit);
        host().log.clear();
        setOptions(false, false, false, false, false);
        script_.clear();
        script_.answer(ui::No); // keep the sources
        startOn(server, 3, row.knownFolders);

        EXPECT_TRUE(errors().empty()) << server.log();
        for (const auto& [name, bytes] : files)
            EXPECT_TRUE(readFile(server.root() / "in" / "tree" / name) == bytes) << name;
        const std::vector<std::string> started = logged(": Начал копироваться файл : ");
        const std::vector<std::string> copied = logged(": Скопирован файл ");
        EXPECT_EQ(started.size(), files.size());
        EXPECT_EQ(std::set<std::string>(started.begin(), started.end()),
                  std::set<std::string>(copied.begin(), copied.end()));
        EXPECT_EQ(std::set<std::string>(copied.begin(), copied.end()).size(), files.size());
        EXPECT_EQ(host().FinishedBytes, host().TotalBytes);
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
        EXPECT_TRUE(host().CopyIdle && host().startEnabled && !host().stopEnabled);
        const auto refused = logged(": Еще одно соединение с сервером не установлено");
        // One, or two while the server has not yet seen the job's first connection leave.
        EXPECT_EQ(refused.empty(), row.serverLimit == 0) << refused.size();
    }
}

TEST_F(ParallelUploads, AFailureStartsNoNewFileAndKeepsEverySourceItDidNotConfirm) {
    const auto files = makeTree(40, 20000);
    PyFtpdServer server;
    // A folder where the sixth file should go: the server refuses that store.
    const std::string refused = files[5].first;
    std::filesystem::create_directories(server.root() / "in" / "tree" / refused);
    setOptions(false, true, true, false, false); // move, report the end
    startOn(server, 3, false);

    const std::vector<std::string> started = logged(": Начал копироваться файл : ");
    const std::vector<std::string> copied = logged(": Скопирован файл ");
    EXPECT_EQ(script_.texts(),
              std::vector<QString>{QString::fromStdString("Ошибка копирования " + sourceFile(refused))});
    // The walk's order is the system's (by name on Windows): what counts is what started after the refused file.
    const auto refusedStart = std::find(started.begin(), started.end(), sourceFile(refused));
    ASSERT_NE(refusedStart, started.end());
    EXPECT_LT(started.end() - refusedStart, 10) << "files kept starting after the failure";
    EXPECT_EQ(copied.size(), started.size() - 1); // the running ones ended
    for (const auto& [name, bytes] : files) {
        const bool wasCopied = std::count(copied.begin(), copied.end(), sourceFile(name)) == 1;
        EXPECT_EQ(exists(sourceFile(name)), !wasCopied) << name;
        if (wasCopied) {
            EXPECT_TRUE(readFile(server.root() / "in" / "tree" / name) == bytes) << name;
        }
    }
    EXPECT_TRUE(host().CopyIdle && host().startEnabled);
}

TEST_F(ParallelUploads, StopEndsEveryConnectionAndKeepsTheSourcesStillUnderWay) {
    const auto files = makeTree(64, 2 << 20); // far more than the connections can send within a frame
    PyFtpdServer server;
    host().onLog = [this](const std::string& line) {
        if (line.find(": Скопирован файл ") != std::string::npos)
            copyjob::Stop(host());
    };
    setOptions(false, true, true, false, false);
    startOn(server, 4, true);

    const std::vector<std::string> copied = logged(": Скопирован файл ");
    EXPECT_EQ(logTexts().back(), ": Копирование остановлено");
    EXPECT_TRUE(script_.texts().empty()); // no end report
    EXPECT_LT(copied.size(), files.size());
    std::size_t kept = 0;
    for (const auto& [name, bytes] : files)
        kept += exists(sourceFile(name)) ? 1 : 0;
    EXPECT_GE(kept, files.size() - copied.size());
    EXPECT_TRUE(host().CopyIdle && host().startEnabled && !host().stopEnabled);
}

TEST_F(ParallelUploads, AnyErrorOfEveryConnectionsLogInEndsTheJobWithItsMessage) {
    const struct {
        const char* name;
        std::function<void()> raise;
        QString shown;
    } cases[] = {
        {"runtime_error", [] { throw std::runtime_error("lookup broke"); }, QStringLiteral("lookup broke")},
        {"bad_alloc", [] { throw std::bad_alloc(); }, QString::fromLatin1(std::bad_alloc().what())},
        {"no std::exception", [] { throw 7; }, QStringLiteral("Неизвестная ошибка")},
    };
    makeTree(6, 100);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFtpServer server;
        const ftp::faults::ScopedFaults faults;
        // The window's connection gets in; every connection of the job fails in its log-in.
        const std::thread::id windowThread = std::this_thread::get_id();
        ftp::faults::ReplaceNameLookup([&](const std::string& name, std::string& dotted) {
            if (std::this_thread::get_id() != windowThread)
                c.raise();
            dotted = name == "ftp.test" ? server.host() : "";
            return dotted.empty() ? 11001 : 0;
        });
        pointAt("ftp.test", server.port(), "tester", "secret"); // a name: a typed address is never looked up
        setSource(sourceTree(), "*.*", "/in");
        setOptions(false, false, true, false, false); // report the end
        host().options.ParallelUploads = 3;
        script_.clear();
        startJobKeepingSources();

        EXPECT_EQ(errors(), std::vector<QString>{c.shown});
        const std::vector<QString> texts = script_.texts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), QStringLiteral("Копирование завершено")), 0);
        EXPECT_TRUE(server.stored().empty());
        EXPECT_TRUE(host().CopyIdle && host().startEnabled && !host().stopEnabled);
    }
}

} // namespace
