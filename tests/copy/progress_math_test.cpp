#include "copy/ProgressMath.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace {

TEST(ProgressBars, HundredThousandBytesInChunksOf32768) {
    EXPECT_EQ(KilobyteScale(100000), 97);
    const std::int64_t counts[] = {32768, 65536, 98304, 100000};
    const int fileBar[] = {72, 104, 136, 137};
    const int jobBar[] = {32, 64, 96, 97};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(FileBarPosition(counts[i]), fileBar[i]) << counts[i];
        EXPECT_EQ(JobBarPosition(0, counts[i]), jobBar[i]) << counts[i];
    }
    // The 40 bytes of the job bar are added before dividing: 1000 + 1008 + 40 bytes make two kilobytes.
    EXPECT_EQ(JobBarPosition(1000, 1007), 1);
    EXPECT_EQ(JobBarPosition(1000, 1008), 2);
    EXPECT_EQ(KilobyteScale(1023), 0);
}

TEST(ProgressBars, SizesBeyond32BitsAreKeptOrRefused) {
    const std::int64_t fiveGiB = std::int64_t{5} << 30;
    EXPECT_EQ(KilobyteScale(fiveGiB), 5 * 1024 * 1024);
    EXPECT_EQ(JobBarPosition(fiveGiB, 0), 5 * 1024 * 1024);
    EXPECT_THROW(KilobyteScale(std::int64_t{1} << 42), ERangeError);
    EXPECT_EQ(FileBarPosition(std::numeric_limits<std::int64_t>::max()), std::numeric_limits<int>::max());
}

TEST(ProgressTexts, TotalSizeInWholeMegabytes) {
    EXPECT_EQ(TotalSizeText(0), "0 Mb");
    EXPECT_EQ(TotalSizeText(1048575), "0 Mb");
    EXPECT_EQ(TotalSizeText(1048576), "1 Mb");
    EXPECT_EQ(TotalSizeText(std::int64_t{3} << 32), "12288 Mb");
}

TEST(ProgressTexts, ElapsedClockIsTheLocaleTimeOfTheSpan) {
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(ElapsedClockText(65), "00:01:05");
    EXPECT_EQ(ElapsedClockText(3 * 3600 + 2), "03:00:02");
}

TEST(ProgressTime, WholeSecondsSurviveTheDayFraction) {
    const double start = 46000.75; // an evening
    for (std::int64_t secs : {0, 1, 59, 3600, 86399, 86400 + 7}) {
        EXPECT_EQ(WholeSecondsBetween(start, start + static_cast<double>(secs) / 86400.0), secs) << secs;
    }
    // Past midnight the span stays right because both moments carry their date.
    EXPECT_EQ(WholeSecondsBetween(46000.0 + 86390.0 / 86400.0, 46001.0 + 20.0 / 86400.0), 30);
    EXPECT_EQ(WholeSecondsBetween(start, start - 0.5), 0);
    const double now = NowInDays();
    EXPECT_GT(now, 19000.0); // after 2022 in days since 1970
    EXPECT_LE(WholeSecondsBetween(now, NowInDays()), 1);
}

TEST(ProgressSpeed, AverageAndRemaining) {
    EXPECT_EQ(AverageSpeedKB(2048000, 1), 2000);
    EXPECT_EQ(AverageSpeedKB(2048000, 0), 2000); // no whole second yet counts as one
    EXPECT_EQ(AverageSpeedKB(2047, 2), 0);       // truncated, not rounded
    EXPECT_EQ(AverageSpeedKB(3071, 1), 2);
    // Nothing sent: the remaining kilobytes become seconds.
    EXPECT_EQ(RemainingSeconds(100 * 1024 + 5, 0, 0), 100);
    EXPECT_EQ(RemainingSeconds(10 * 1024 * 1024, 2048000, 2000), (10 * 1024 * 1024 - 2048000) / 1024 / 2000);
    EXPECT_EQ(RemainingSeconds(1000, 5000, 3), 0); // more sent than listed: nothing left
    EXPECT_THROW(RemainingSeconds(std::int64_t{1} << 52, 0, 0), ERangeError);
}

TEST(TrayStages, HalfwayGoesToTheEvenStage) {
    const double step = 6000000 / 6.0;
    const std::pair<std::int64_t, int> cases[] = {
        {0, 0}, {500000, 0}, {500001, 1}, {1499999, 1}, {1500000, 2}, {2500000, 2}, {3500000, 4}, {6000000, 6},
    };
    for (const auto& [sent, stage] : cases)
        EXPECT_EQ(TrayStage(sent, step), stage) << sent;
    EXPECT_EQ(TrayStage(0, 0.0), 0); // a job of no bytes
    EXPECT_EQ(TrayStage(123, 0.0), 0);
}

} // namespace
