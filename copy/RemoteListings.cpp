#include "copy/RemoteListings.h"

#include "copy/KnownFolders.h"
#include "copy/RemotePath.h"

#include <chrono>

namespace copyjob {
namespace {

// How often a waiting connection looks at the stop while another one lists.
constexpr std::chrono::milliseconds kStopLook{50};
// How far ahead of its own folder a waiting connection looks for one to list.
constexpr std::size_t kLookAhead = 8;

} // namespace

std::string TRemoteListings::KeyOf(const std::string& folder) {
    const std::vector<std::string> names = RemoteWalkNames(folder);
    return TKnownFolders::PathOf(names, names.size());
}

void TRemoteListings::SetPlan(const std::vector<std::string>& remoteFiles) {
    const std::lock_guard lock(guard_);
    plan_.clear();
    planIndex_.clear();
    plannedNames_.clear();
    for (const std::string& remote : remoteFiles) {
        const std::string folder = KeyOf(RemoteFolderOf(remote));
        if (planIndex_.emplace(folder, plan_.size()).second)
            plan_.push_back(folder);
        plannedNames_[folder].push_back(remote.substr(remote.rfind('/') + 1));
    }
}

std::vector<std::string> TRemoteListings::PlannedNames(const std::string& folder) const {
    const std::lock_guard lock(guard_);
    const auto found = plannedNames_.find(folder);
    return found == plannedNames_.end() ? std::vector<std::string>() : found->second;
}

std::optional<std::string> TRemoteListings::NextUnclaimed(const std::string& folder) const {
    const auto at = planIndex_.find(folder);
    if (at == planIndex_.end())
        return std::nullopt;
    for (std::size_t i = at->second + 1; i < plan_.size() && i <= at->second + kLookAhead; ++i) {
        if (folders_.find(plan_[i]) == folders_.end())
            return plan_[i];
    }
    return std::nullopt;
}

std::optional<TRemoteListing> TRemoteListings::ListClaimed(std::unique_lock<std::mutex>& lock,
                                                           const std::string& folder, const TLister& list) {
    folders_[folder].Listing = true;
    lock.unlock();
    std::optional<TRemoteListing> listed;
    try {
        listed = list(folder);
    } catch (...) {
        lock.lock();
        folders_.erase(folder); // another connection may list it
        settled_.notify_all();
        throw;
    }
    lock.lock();
    TFolder& settled = folders_[folder];
    if (settled.Listing) { // not marked as made meanwhile
        settled.Listing = false;
        settled.Listed = listed;
    }
    settled_.notify_all();
    return settled.Listed;
}

std::optional<TRemoteListing> TRemoteListings::Get(const std::string& folder, const TLister& list,
                                                   const std::function<bool()>& stopped, bool lookAhead) {
    std::unique_lock lock(guard_);
    for (;;) {
        const auto found = folders_.find(folder);
        if (found == folders_.end())
            return ListClaimed(lock, folder, list);
        if (!found->second.Listing)
            return found->second.Listed;
        if (stopped())
            return std::nullopt;
        if (const std::optional<std::string> next = lookAhead ? NextUnclaimed(folder) : std::nullopt)
            ListClaimed(lock, *next, list);
        else
            settled_.wait_for(lock, kStopLook);
    }
}

void TRemoteListings::MarkMade(const std::string& folder) {
    const std::lock_guard lock(guard_);
    TFolder& made = folders_[folder];
    made.Listing = false;
    made.Listed = TRemoteListing{};
    settled_.notify_all();
}

} // namespace copyjob
