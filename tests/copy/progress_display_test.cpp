// The progress display: bars from the work events, the timer's speed, remaining time and tray stage.
#include "CopyJobFixture.h"

#include "copy/ProgressDisplay.h"
#include "copy/ProgressMath.h"
#include "ui/TProgressBar.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace {

using ProgressDisplayTest = CopyJobFixture;

TEST_F(ProgressDisplayTest, BarsFollowTheWorkEventsOfOneUpload) {
    FakeCopyHost& f = host();
    f.FinishedBytes = 0;
    f.CurrentFileBytes = 100000;
    f.jobBar.SetMax(97);
    copyjob::WorkBegin(f, wmWrite, 100000);
    EXPECT_EQ(f.fileBar.Max(), 97);
    EXPECT_EQ(f.fileBar.Position(), 0);

    std::vector<int> fileBar, jobBar;
    for (std::int64_t sent : {32768, 65536, 98304, 100000}) {
        copyjob::Work(f, wmWrite, sent);
        fileBar.push_back(f.fileBar.Position());
        jobBar.push_back(f.jobBar.Position());
        EXPECT_EQ(f.SentBytes, sent);
    }
    EXPECT_EQ(fileBar, (std::vector<int>{72, 104, 136, 137})); // full from the second chunk on
    EXPECT_EQ(jobBar, (std::vector<int>{32, 64, 96, 97}));
    copyjob::WorkEnd(f, wmWrite);
    EXPECT_EQ(f.fileBar.Position(), 0);
    EXPECT_EQ(f.FinishedBytes, 100000);

    // The next file's bar counts on from what has finished; a small file has a bar of no kilobytes.
    f.CurrentFileBytes = 1000;
    copyjob::WorkBegin(f, wmWrite, 1000);
    EXPECT_EQ(f.fileBar.Max(), 0);
    copyjob::Work(f, wmWrite, 1000);
    EXPECT_EQ(f.SentBytes, 101000);
    EXPECT_EQ(f.jobBar.Position(), 98);

    // Reading is not an upload: the bars and the counters stay.
    copyjob::WorkBegin(f, wmRead, 5000000);
    copyjob::Work(f, wmRead, 4000000);
    EXPECT_EQ(f.fileBar.Max(), 0);
    EXPECT_EQ(f.SentBytes, 101000);
}

TEST_F(ProgressDisplayTest, TimerShowsAverageSpeedAndRemainingTime) {
    FakeCopyHost& f = host();
    f.TotalBytes = 10 * 1024 * 1024;
    f.SentBytes = 2048000;
    f.StartTime = NowInDays() - 1.0 / 86400.0;
    copyjob::Tick(f);
    EXPECT_EQ(f.speed.text(), QStringLiteral("2000 kB/Sec"));
    EXPECT_EQ(f.remaining.text(), QStringLiteral("0:00:04")); // 8240 kB at 2000 kB/s
    EXPECT_FALSE(f.elapsed.text().isEmpty());

    // Nothing sent yet: 0 kB/Sec, and the remaining kilobytes count as seconds.
    f.TotalBytes = 100 * 1024;
    f.SentBytes = 0;
    f.StartTime = NowInDays();
    copyjob::Tick(f);
    EXPECT_EQ(f.speed.text(), QStringLiteral("0 kB/Sec"));
    EXPECT_EQ(f.remaining.text(), QStringLiteral("0:01:40"));
}

TEST_F(ProgressDisplayTest, TrayPictureChangesOnlyWithTheStage) {
    FakeCopyHost& f = host();
    f.TotalBytes = 6000000;
    f.IconStep = 1000000.0;
    f.StartTime = NowInDays();
    copyjob::LoadTrayPicture(f, "ICON0");
    f.IconStage = 0;
    const auto firstPicture = f.trayPicture.cacheKey();

    f.SentBytes = 500000; // 0.5 stays at stage 0: nothing is loaded
    copyjob::Tick(f);
    EXPECT_EQ(f.IconStage, 0);
    EXPECT_EQ(f.trayPicture.cacheKey(), firstPicture);

    f.SentBytes = 1500000; // 1.5 goes to stage 2
    copyjob::Tick(f);
    EXPECT_EQ(f.IconStage, 2);
    const QIcon second = f.trayPicture;
    EXPECT_NE(second.cacheKey(), firstPicture);
    EXPECT_EQ(second.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
              QPixmap(QStringLiteral(":/MYFOLDER/ICON2")).toImage().convertToFormat(QImage::Format_ARGB32));
    copyjob::Tick(f);
    EXPECT_EQ(f.trayPicture.cacheKey(), second.cacheKey());

    // A job of no bytes keeps stage 0 rather than dividing by zero.
    f.TotalBytes = 0;
    f.IconStep = 0;
    f.SentBytes = 0;
    copyjob::Tick(f);
    EXPECT_EQ(f.IconStage, 0);
}

} // namespace
