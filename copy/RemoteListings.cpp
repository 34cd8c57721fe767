#include "copy/RemoteListings.h"

#include <chrono>

namespace copyjob {
namespace {

// How often a waiting connection looks at the stop while another one lists.
constexpr std::chrono::milliseconds kStopLook{50};

} // namespace

std::optional<TRemoteListing> TRemoteListings::Get(const std::string& folder, const TLister& list,
                                                   const std::function<bool()>& stopped) {
    std::unique_lock lock(guard_);
    for (;;) {
        const auto found = folders_.find(folder);
        if (found == folders_.end())
            break;
        if (!found->second.Listing)
            return found->second.Listed;
        if (stopped())
            return std::nullopt;
        settled_.wait_for(lock, kStopLook);
    }
    folders_[folder].Listing = true;
    lock.unlock();
    std::optional<TRemoteListing> listed;
    try {
        listed = list();
    } catch (...) {
        lock.lock();
        folders_.erase(folder); // another connection may list it
        settled_.notify_all();
        throw;
    }
    lock.lock();
    TFolder& settled = folders_[folder];
    settled.Listing = false;
    settled.Listed = listed;
    settled_.notify_all();
    return listed;
}

void TRemoteListings::MarkMade(const std::string& folder) {
    const std::lock_guard lock(guard_);
    TFolder& made = folders_[folder];
    made.Listing = false;
    made.Listed = TRemoteListing{};
    settled_.notify_all();
}

} // namespace copyjob
