// The copy job against a real FTP server on loopback, in both data connection modes.
#include "CopyJobFixture.h"

#include "ftp/TIdFTP.h"
#include "tests/support/PyFtpdServer.h"
#include "ui/TProgressBar.h"

#include <filesystem>

using ferrylo::testing::PyFtpdServer;

namespace {

using RealServerCopyTest = CopyJobFixture;

TEST_F(RealServerCopyTest, TreeArrivesByteForByteInBothModes) {
    const std::string folder = makeFolder("src/данные");
    std::string big(1048576, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 131 % 251);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", "alpha\r\n"},
        {"big.bin", big},
        {"empty", ""},
        {"sub/deeper/файл.txt", "глубоко"},
        {"sub/b.txt", std::string(100000, 'b')},
    };
    for (const auto& [name, bytes] : files)
        makeFile("src/данные/" + name, bytes);

    const auto displaysOwn = host().ftp.OnWork;
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        PyFtpdServer server;
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().passive = passive;
        host().ftp.Passive = passive;
        setSource(folder, "*.*", "/in");
        script_.clear();
        int lastJobBar = 0;
        bool jobBarWentBack = false;
        onWork([&](std::int64_t) {
            jobBarWentBack |= host().jobBar.Position() < lastJobBar;
            lastJobBar = host().jobBar.Position();
        });
        script_.answer(ui::No); // "Удалить исходные файлы…": keep the sources
        startJob();

        EXPECT_TRUE(errors().empty()) << server.log();
        for (const auto& [name, bytes] : files) {
            const auto stored = server.root() / "in" / "данные" / name;
            const std::string got = readFile(stored.string());
            EXPECT_EQ(got.size(), bytes.size()) << name;
            EXPECT_TRUE(got == bytes) << name;
        }
        EXPECT_EQ(host().totalSize.text(), QStringLiteral("1 Mb"));
        EXPECT_FALSE(jobBarWentBack);
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
        EXPECT_EQ(host().fileBar.Position(), 0);
        EXPECT_EQ(host().FinishedBytes, host().TotalBytes);
        EXPECT_TRUE(host().CopyIdle);
        EXPECT_TRUE(host().startEnabled);
        EXPECT_FALSE(host().timerRunning);
        EXPECT_FALSE(host().ftp.IsOpen());
        host().ftp.OnWork = displaysOwn; // the next round installs its own observer
    }
}

} // namespace
