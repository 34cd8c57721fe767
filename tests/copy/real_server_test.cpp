// The copy job against a real FTP server on loopback, in both data connection modes and in move mode, from a
// Cyrillic folder (the names reach a UTF-8 server in UTF-8 from the Windows code page too).
#include "CopyJobFixture.h"

#include "ftp/TIdFTP.h"
#include "tests/support/PyFtpdServer.h"
#include "tests/support/Utf8Path.h"
#include "ui/TProgressBar.h"
#include "util/NativePath.h"

#include <QTimer>
#include <filesystem>

using ferrylo::testing::PyFtpdServer;

namespace {

using RealServerCopyTest = CopyJobFixture;

TEST_F(RealServerCopyTest, CyrillicTreeArrivesByteForByteInBothModesAndMoves) {
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

    struct Round {
        const char* name;
        bool passive, move;
    };
    for (const Round& round :
         {Round{"passive", true, false}, Round{"active", false, false}, Round{"move", true, true}}) {
        SCOPED_TRACE(round.name);
        const bool passive = round.passive;
        PyFtpdServer server;
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().passive = passive;
        host().ftp.Passive = passive;
        setSource(folder, "*.*", "/in");
        script_.clear();
        int lastJobBar = 0;
        bool jobBarWentBack = false;
        QTimer sampler; // the bar as the window's thread shows it
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            jobBarWentBack |= host().jobBar.Position() < lastJobBar;
            lastJobBar = host().jobBar.Position();
        });
        sampler.start(1);
        script_.answer(round.move ? ui::Yes : ui::No); // "Удалить исходные файлы…"
        startJob();

        EXPECT_TRUE(errors().empty()) << server.log();
        for (const auto& [name, bytes] : files) {
            const auto stored = server.root() / "in" / Utf8Path("данные/" + name);
            const std::string got = readFile(stored);
            EXPECT_EQ(got.size(), bytes.size()) << name;
            EXPECT_TRUE(got == bytes) << name;
            EXPECT_EQ(exists(inFolder(folder, EightBitPath(Utf8Path(name).make_preferred()))), !round.move) << name;
        }
        EXPECT_EQ(host().totalSize.text(), QStringLiteral("1 Mb"));
        EXPECT_FALSE(jobBarWentBack);
        EXPECT_EQ(host().jobBar.Position(), host().jobBar.Max());
        EXPECT_EQ(host().fileBar.Position(), 0);
        EXPECT_EQ(host().FinishedBytes, host().TotalBytes);
        EXPECT_TRUE(host().CopyIdle);
        EXPECT_TRUE(host().startEnabled);
        EXPECT_FALSE(host().timerRunning);
    }
}

} // namespace
