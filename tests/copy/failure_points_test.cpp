// A three-file move job with a failure injected at each socket call and each file read it makes, in
// turn: whatever fails, the job ends on one of its failure paths with the window back in Idle, no
// file or data connection is left open, every begun transfer is ended, and a source is deleted only
// when the server holds all of it.
#include "CopyJobFixture.h"

#include "ftp/FileStream.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "tests/support/FakeFtpServer.h"

#include <cerrno>
#include <functional>
#include <map>

using ferrylo::testing::FakeFtpServer;
namespace faults = ftp::faults;

namespace {

struct FailurePoint {
    const char* name;
    std::function<void(int n)> arm;
};

const FailurePoint kFailurePoints[] = {
    {"send", [](int n) { faults::FailNthCall(faults::SocketCall::Send, n, 10054); }},
    {"receive", [](int n) { faults::FailNthCall(faults::SocketCall::Receive, n, 10054); }},
    {"connect", [](int n) { faults::FailNthCall(faults::SocketCall::Connect, n, 10061); }},
    {"file read", [](int n) { faults::FailNthFileRead(n, EIO); }},
};

// Far more calls than the job makes: the loop must end because a run got through untouched.
constexpr int kMostCalls = 400;

class FailurePoints : public CopyJobFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        CopyJobFixture::SetUp();
        onWorkBegin([this](std::int64_t) { ++begins_; });
        onWorkEnd([this] { ++ends_; });
    }

    // Fresh sources and a fresh server for one run; returns local path -> remote path.
    std::map<std::string, std::string> prepareRun() {
        server_ = std::make_unique<FakeFtpServer>();
        pointAt(server_->host(), server_->port(), "tester", "secret");
        host().passive = GetParam();
        host().ftp.Passive = GetParam();
        setOptions(false, true, false, false, false);
        const std::string folder = makeFolder("src/data");
        setSource(folder, "*.*", "/in");
        begins_ = ends_ = 0;
        script_.clear();
        return {{makeFile("src/data/a.txt", std::string(40000, 'a')), "/in/data/a.txt"},
                {makeFile("src/data/sub/b.txt", std::string(70000, 'b')), "/in/data/sub/b.txt"},
                {makeFile("src/data/c.txt", "c"), "/in/data/c.txt"}};
    }

    bool storedWhole(const std::string& remote, const std::string& content) const {
        for (const auto& file : server_->stored())
            if (file.argument == remote && file.content == content)
                return true;
        return false;
    }

    std::unique_ptr<FakeFtpServer> server_;
    int begins_ = 0;
    int ends_ = 0;
};

TEST_P(FailurePoints, EveryCallOfAThreeFileMoveJobEndsCleanly) {
    for (const FailurePoint& point : kFailurePoints) {
        bool untouchedRun = false;
        for (int n = 1; n <= kMostCalls && !untouchedRun; ++n) {
            const auto sources = prepareRun();
            std::map<std::string, std::string> contents;
            for (const auto& [local, remote] : sources)
                contents[local] = readFile(local);
            {
                faults::ScopedFaults scoped;
                faults::ResetFileFaults();
                point.arm(n);
                startJob();
                faults::ResetFileFaults();
            }
            const std::string at = std::string(point.name) + " #" + std::to_string(n);

            EXPECT_EQ(TFileStream::OpenCount(), 0) << at;
            EXPECT_EQ(host().ftp.DataChannel(), nullptr) << at;
            EXPECT_EQ(begins_, ends_) << at;
            EXPECT_TRUE(host().CopyIdle && host().startEnabled && !host().timerRunning) << at;

            // The job ended on one of its paths: done, no connection, a failed upload with its log
            // line, or an error it does not catch (shown in the error box).
            const auto texts = script_.texts();
            if (!texts.empty() && texts[0].startsWith(QStringLiteral("Ошибка копирования "))) {
                const std::string path = texts[0].mid(19).toStdString();
                const auto log = logTexts();
                EXPECT_NE(std::find(log.begin(), log.end(), ": ошибка копирования " + path), log.end()) << at;
            } else if (!texts.empty() && texts[0] != QStringLiteral("Нет связи")) {
                EXPECT_EQ(errors().size(), texts.size()) << at << ": " << texts[0].toStdString();
            }

            bool allMoved = true;
            for (const auto& [local, remote] : sources) {
                if (!exists(local)) {
                    EXPECT_TRUE(storedWhole(remote, contents[local])) << at << ": " << local << " deleted";
                }
                allMoved = allMoved && !exists(local) && storedWhole(remote, contents[local]);
            }
            untouchedRun = texts.empty() && allMoved;
            server_.reset();
        }
        EXPECT_TRUE(untouchedRun) << point.name << ": no run got through within " << kMostCalls << " calls";
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, FailurePoints, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

} // namespace
