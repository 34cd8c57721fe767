// The progress display: bars from the files done and on their way, the timer's speed, remaining time and tray stage.
#include "CopyJobFixture.h"

#include "app/ProgressDisplay.h"
#include "copy/ProgressMath.h"
#include "ui/TProgressBar.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace {

using ProgressDisplayTest = CopyJobFixture;

TEST_F(ProgressDisplayTest, BarsFollowTheFilesDoneAndThoseOnTheirWay) {
    FakeCopyHost& f = host();
    f.jobBar.SetMax(98);
    using Sending = std::vector<std::optional<TLaneFile>>;
    const struct {
        Sending sending;
        std::int64_t finished;
        int fileMax, filePosition, jobPosition;
    } cases[] = {
        {{TLaneFile{0, 100000, 0}}, 0, 97, 40, 0}, // the bar's odd start
        {{TLaneFile{0, 100000, 32768}}, 0, 97, 72, 32},
        {{TLaneFile{0, 100000, 98304}}, 0, 97, 136, 96},
        {{std::nullopt}, 100000, 0, 0, 97},                                    // between two files
        {{TLaneFile{1, 1000, 1000}}, 100000, 0, 0, 98},                        // all sent: the bar waits for no one
        {{TLaneFile{1, 300000, 1000}, TLaneFile{2, 2000, 1000}}, 0, 1, 40, 1}, // the file closest to its end
    };
    for (const auto& c : cases) {
        copyjob::ShowProgress(f, c.sending, c.finished);
        EXPECT_EQ(f.fileBar.Max(), c.fileMax) << c.finished;
        EXPECT_EQ(f.fileBar.Position(), c.filePosition) << c.finished;
        EXPECT_EQ(f.jobBar.Position(), c.jobPosition) << c.finished;
    }
    EXPECT_EQ(f.SentBytes, 2000);
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
