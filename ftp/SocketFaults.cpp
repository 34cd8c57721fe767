#include "ftp/SocketFaults.h"

#include <atomic>
#include <mutex>

namespace ftp::faults {
namespace {

struct Armed {
    int remaining = 0; // calls until the failing one; 0: not armed
    int errorNumber = 0;
};

std::atomic<bool> anyArmed{false};
std::mutex guard;
Armed armed[4]; // one per SocketCall
NameLookup lookup;

void UpdateAnyArmed() {
    bool any = static_cast<bool>(lookup);
    for (const Armed& a : armed)
        any = any || a.remaining > 0;
    anyArmed.store(any, std::memory_order_relaxed);
}

} // namespace

void FailNthCall(SocketCall call, int n, int errorNumber) {
    std::lock_guard lock(guard);
    armed[static_cast<int>(call)] = Armed{n > 0 ? n : 0, errorNumber};
    UpdateAnyArmed();
}

void ReplaceNameLookup(NameLookup replacement) {
    std::lock_guard lock(guard);
    lookup = std::move(replacement);
    UpdateAnyArmed();
}

void Reset() {
    std::lock_guard lock(guard);
    for (Armed& a : armed)
        a = Armed{};
    lookup = nullptr;
    UpdateAnyArmed();
}

bool ShouldFail(SocketCall call, int& errorNumber) {
    if (!anyArmed.load(std::memory_order_relaxed))
        return false;
    std::lock_guard lock(guard);
    Armed& a = armed[static_cast<int>(call)];
    if (a.remaining == 0 || --a.remaining > 0)
        return false;
    errorNumber = a.errorNumber;
    UpdateAnyArmed();
    return true;
}

bool LookupReplaced(const std::string& name, std::string& dotted, int& result) {
    if (!anyArmed.load(std::memory_order_relaxed))
        return false;
    NameLookup current;
    {
        std::lock_guard lock(guard);
        current = lookup;
    }
    if (!current)
        return false;
    result = current(name, dotted);
    return true;
}

} // namespace ftp::faults
