#include "ftp/WaitSlices.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace ftp {
namespace {
std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void SetWaitSliceHook(std::function<void()> hook) {
    Hook() = std::move(hook);
}

void RunWaitSliceHook() {
    // A copy: the hook may replace itself (a window closing during the pump).
    if (const std::function<void()> hook = Hook())
        hook();
}

bool WaitInSlices(int limitMs, const std::function<bool(int sliceMs)>& readyWithin) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limitMs, 0));
    for (;;) {
        int slice = kWaitSliceMs;
        if (limitMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            slice = static_cast<int>(std::clamp<long long>(left, 0, kWaitSliceMs));
        }
        if (readyWithin(slice))
            return true;
        if (limitMs >= 0 && Clock::now() >= deadline)
            return false;
        RunWaitSliceHook();
    }
}

} // namespace ftp
