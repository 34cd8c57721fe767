#include "ftp/WaitSlices.h"

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

} // namespace ftp
