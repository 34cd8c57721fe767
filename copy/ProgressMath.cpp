#include "copy/ProgressMath.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

constexpr std::int64_t kKilobyte = 1024;
constexpr int kFileBarLeadKB = 40;
constexpr std::int64_t kJobBarLeadBytes = 40;
constexpr double kSecondsPerDay = 86400.0;

int CappedInt(std::int64_t value) {
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace

int KilobyteScale(std::int64_t bytes) {
    const std::int64_t kb = bytes / kKilobyte;
    if (kb > std::numeric_limits<std::int32_t>::max() || kb < std::numeric_limits<std::int32_t>::min())
        throw ERangeError();
    return static_cast<int>(kb);
}

int FileBarPosition(std::int64_t sentOfFile) {
    return CappedInt(sentOfFile / kKilobyte + kFileBarLeadKB);
}

int JobBarPosition(std::int64_t finishedBytes, std::int64_t sentOfFile) {
    return CappedInt((finishedBytes + sentOfFile + kJobBarLeadBytes) / kKilobyte);
}

std::string TotalSizeText(std::int64_t totalBytes) {
    return std::to_string(totalBytes / kKilobyte / kKilobyte) + " Mb";
}

double NowInDays() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms) / (kSecondsPerDay * 1000.0);
}

std::int64_t WholeSecondsBetween(double startDays, double nowDays) {
    // Through whole milliseconds, so that a span of exactly n seconds never reads as n - 1.
    const auto ms = std::llround((nowDays - startDays) * kSecondsPerDay * 1000.0);
    return ms > 0 ? ms / 1000 : 0;
}

std::string ElapsedClockText(std::int64_t seconds) {
    std::tm clock{};
    clock.tm_hour = static_cast<int>(seconds / 3600 % 24);
    clock.tm_min = static_cast<int>(seconds / 60 % 60);
    clock.tm_sec = static_cast<int>(seconds % 60);
    std::array<char, 64> buffer{};
    const std::size_t n = std::strftime(buffer.data(), buffer.size(), "%X", &clock);
    return std::string(buffer.data(), n);
}

std::int64_t AverageSpeedKB(std::int64_t sentBytes, std::int64_t seconds) {
    const double secs = seconds > 0 ? static_cast<double>(seconds) : 1.0;
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(sentBytes) / secs / 1024.0));
}

std::int32_t RemainingSeconds(std::int64_t totalBytes, std::int64_t sentBytes, std::int64_t speedKB) {
    // More sent than listed (a file grew after the listing) means nothing is left, not a negative time.
    const std::int64_t remainingKB = totalBytes > sentBytes ? (totalBytes - sentBytes) / kKilobyte : 0;
    const std::int64_t speed = speedKB > 0 ? speedKB : 1;
    const std::int64_t seconds = remainingKB / speed;
    if (seconds > std::numeric_limits<std::int32_t>::max())
        throw ERangeError();
    return static_cast<std::int32_t>(seconds);
}

int TrayStage(std::int64_t sentBytes, double iconStep) {
    if (!(iconStep > 0))
        return 0;
    // nearbyint in the default rounding mode rounds half to even: 0.5 -> 0, 1.5 -> 2.
    const double stage = std::nearbyint(static_cast<double>(sentBytes) / iconStep);
    if (stage >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (stage <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(stage);
}
