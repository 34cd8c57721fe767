// The copy job against a real FTP server on loopback, in both data connection modes.
#include "CopyJobFixture.h"

#include "ui/TProgressBar.h"
#include "ftp/TIdFTP.h"
#include "tests/support/PyFtpdServer.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
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

    const auto windowsOwn = form().IdFTP1->OnWork;
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        PyFtpdServer server;
        pointAt(server.host(), server.port(), server.user(), server.password());
        form().CheckBox2->setChecked(passive);
        form().IdFTP1->Passive = passive;
        setSource(folder, "*.*", "/in");
        script_.clear();
        int lastJobBar = 0;
        bool jobBarWentBack = false;
        onWork([&](std::int64_t) {
            jobBarWentBack |= form().ProgressBar2->Position() < lastJobBar;
            lastJobBar = form().ProgressBar2->Position();
        });
        startJob();

        EXPECT_TRUE(errors().empty()) << server.log();
        for (const auto& [name, bytes] : files) {
            const auto stored = server.root() / "in" / "данные" / name;
            const std::string got = readFile(stored.string());
            EXPECT_EQ(got.size(), bytes.size()) << name;
            EXPECT_TRUE(got == bytes) << name;
        }
        EXPECT_EQ(form().Label18->text(), QStringLiteral("1 Mb"));
        EXPECT_FALSE(jobBarWentBack);
        EXPECT_EQ(form().ProgressBar2->Position(), form().ProgressBar2->Max());
        EXPECT_EQ(form().ProgressBar1->Position(), 0);
        EXPECT_EQ(form().FinishedBytes, form().TotalBytes);
        EXPECT_TRUE(form().CopyIdle);
        EXPECT_TRUE(form().Button2->isEnabled());
        EXPECT_FALSE(form().Timer1->isActive());
        EXPECT_FALSE(form().IdFTP1->IsOpen());
        form().IdFTP1->OnWork = windowsOwn; // the next round installs its own observer
    }
}

} // namespace
