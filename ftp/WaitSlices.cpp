#include "ftp/WaitSlices.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace ftp {
namespace {
using Clock = std::chrono::steady_clock;

// Per thread: the window's thread turns its message loop, an upload thread watches for a stop request.
std::function<void()>& Hook() {
    thread_local std::function<void()> hook;
    return hook;
}

Clock::time_point& LastHookRun() {
    thread_local Clock::time_point last = Clock::now();
    return last;
}

long long MsUntilHookDue() {
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - LastHookRun()).count();
    return kHookFrameMs - since;
}
} // namespace

void SetWaitSliceHook(std::function<void()> hook) {
    Hook() = std::move(hook);
}

void RunWaitSliceHook() {
    LastHookRun() = Clock::now();
    // A copy: the hook may replace itself (a window closing during the pump).
    if (const std::function<void()> hook = Hook())
        hook();
}

bool WaitInSlices(int limitMs, const std::function<bool(int sliceMs)>& readyWithin) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limitMs, 0));
    for (;;) {
        long long slice = std::clamp<long long>(MsUntilHookDue(), 0, kWaitSliceMs);
        if (limitMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            slice = std::clamp<long long>(left, 0, slice);
        }
        if (readyWithin(static_cast<int>(slice)))
            return true;
        if (limitMs >= 0 && Clock::now() >= deadline)
            return false;
        if (MsUntilHookDue() <= 0)
            RunWaitSliceHook();
    }
}

} // namespace ftp
