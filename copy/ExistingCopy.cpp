#include "copy/ExistingCopy.h"

#include "copy/KnownFolders.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadHost.h"

#include <chrono>

namespace copyjob {
namespace {

std::string NameOf(const std::string& remote) {
    const std::size_t slash = remote.rfind('/');
    return slash == std::string::npos ? remote : remote.substr(slash + 1);
}

std::optional<TRemoteListing> ListingOf(TUploadHost& host, const std::string& folder, bool lookAhead);

std::string PathIn(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// A listing without exact times (LIST) has them asked for the job's files it shows, all in one round trip.
void AddTimes(TUploadHost& host, const std::string& folder, TRemoteListing& listing) {
    std::vector<std::string> names, remotes;
    for (const std::string& name : host.State().Listings->PlannedNames(folder)) {
        const auto found = listing.Items.find(name);
        if (found != listing.Items.end() && found->second.File && !found->second.ModifiedUtc) {
            names.push_back(name);
            remotes.push_back(PathIn(folder, name));
        }
    }
    if (remotes.empty())
        return;
    const std::vector<std::optional<std::int64_t>> times = host.Connection().RemoteModified(remotes);
    for (std::size_t i = 0; i < names.size() && i < times.size(); ++i)
        listing.Items[names[i]].ModifiedUtc = times[i];
}

// A folder that its parent's listing does not show holds nothing yet: it is not asked for. Otherwise the server
// lists it.
std::optional<TRemoteListing> ListFolder(TUploadHost& host, const std::string& folder) {
    if (folder != "/") {
        const std::optional<TRemoteListing> parent =
            ListingOf(host, TRemoteListings::KeyOf(RemoteFolderOf(folder)), false);
        if (parent && !parent->Partial) {
            const auto found = parent->Items.find(NameOf(folder));
            if (found == parent->Items.end())
                return TRemoteListing{};
            if (!found->second.Folder)
                return std::nullopt; // a file or a link of that name: what lies behind is not for guessing
        }
    }
    std::optional<TRemoteListing> listing = host.Connection().ListFolder(folder);
    if (listing)
        AddTimes(host, folder, *listing);
    return listing;
}

std::optional<TRemoteListing> ListingOf(TUploadHost& host, const std::string& folder, bool lookAhead) {
    return host.State().Listings->Get(
        folder, [&host](const std::string& listed) { return ListFolder(host, listed); },
        [&host] { return host.StopRequested(); }, lookAhead);
}

// What the server says of the file: from the listing, or asked for alone where the listing could not be read whole.
std::optional<TRemoteItem> ListedItem(TUploadHost& host, const std::string& remote) {
    if (host.State().Listings == nullptr)
        return std::nullopt;
    const std::optional<TRemoteListing> listing = ListingOf(host, TRemoteListings::KeyOf(RemoteFolderOf(remote)), true);
    if (!listing)
        return std::nullopt;
    if (const auto found = listing->Items.find(NameOf(remote)); found != listing->Items.end())
        return found->second;
    if (!listing->Partial)
        return std::nullopt;
    const std::optional<std::int64_t> size = host.Connection().RemoteSize(remote);
    if (!size)
        return std::nullopt;
    return TRemoteItem{
        .File = true, .Folder = false, .Size = size, .ModifiedUtc = host.Connection().RemoteModified({remote}).front()};
}

} // namespace

bool AlreadyOnServer(TUploadHost& host, const std::string& local, const std::string& remote) {
    const std::optional<std::int64_t> localSize = FileSizeOf(local);
    if (!localSize)
        return false;
    const std::optional<TRemoteItem> item = ListedItem(host, remote);
    if (!item || !item->File || item->Size != localSize)
        return false;
    if (!item->ModifiedUtc)
        return true; // a server that tells no times: the size is all there is to go by
    // A copy dated more than a day ahead of this clock is not believed: a server's clock may be off by hours, not
    // by days, and a made-up date must not pass for a newer copy.
    constexpr std::int64_t kDay = 24 * 60 * 60;
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const std::optional<std::int64_t> localTime = FileModifiedUtcOf(local);
    return localTime && *item->ModifiedUtc >= *localTime && *item->ModifiedUtc <= now + kDay;
}

void NoteMadeFolders(TUploadHost& host, const std::string& folder, const TFolderWalk& walk) {
    TRemoteListings* listings = host.State().Listings;
    if (listings == nullptr || !walk.FirstMade)
        return;
    const std::vector<std::string> names = RemoteWalkNames(folder);
    for (std::size_t count = *walk.FirstMade + 1; count <= names.size(); ++count)
        listings->MarkMade(TKnownFolders::PathOf(names, count));
}

} // namespace copyjob
