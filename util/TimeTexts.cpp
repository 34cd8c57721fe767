#include "util/TimeTexts.h"

#include <array>

std::string StampOf(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    std::array<char, 128> buffer{};
    const std::size_t n = std::strftime(buffer.data(), buffer.size(), "%d-%m-%Y %X", &local);
    return std::string(buffer.data(), n);
}

std::string NowStamp() {
    return StampOf(std::time(nullptr));
}

namespace {
std::string TwoDigits(std::int32_t v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}
} // namespace

std::string SecondsToClock(std::int32_t seconds) {
    const std::int32_t h = seconds / 3600;
    const std::int32_t m = (seconds - h * 3600) / 60;
    const std::int32_t s = seconds - h * 3600 - m * 60;
    return std::to_string(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
}
