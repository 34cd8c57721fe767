#include "util/TimeTexts.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(SecondsToClock, HoursUnpaddedMinutesAndSecondsTwoDigits) {
    const struct {
        std::int32_t seconds;
        const char* clock;
    } cases[] = {
        {0, "0:00:00"},    {59, "0:00:59"},     {60, "0:01:00"},       {3599, "0:59:59"},
        {3725, "1:02:05"}, {36000, "10:00:00"}, {360000, "100:00:00"}, {2147483647, "596523:14:07"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SecondsToClock(c.seconds), c.clock) << c.seconds;
}

std::string StrftimeOf(std::time_t t, const char* format) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char buf[128];
    return std::string(buf, std::strftime(buf, sizeof buf, format, &local));
}

TEST(NowStamp, DatePartThenLocaleTime) {
    // 6 March 2026, 09:05:07 local time.
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 6;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 7;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(StampOf(t), "06-03-2026 " + StrftimeOf(t, "%X"));
}

TEST(NowStamp, IsTheStampOfTheCurrentMoment) {
    // Retry when the clock ticks over between the two readings.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        const std::string stamp = NowStamp();
        if (std::time(nullptr) == before) {
            EXPECT_EQ(stamp, StampOf(before));
            ASSERT_EQ(stamp.size(), 11 + StrftimeOf(before, "%X").size());
            EXPECT_EQ(stamp.substr(0, 11), StrftimeOf(before, "%d-%m-%Y "));
            return;
        }
    }
    FAIL() << "the clock kept ticking over";
}

} // namespace
