#include "copy/ExistingCopy.h"

#include "copy/KnownFolders.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadHost.h"

namespace copyjob {
namespace {

// One key per folder however its path was written ("/in/", "/in" and "//in" alike).
std::string FolderKey(const std::string& folder) {
    const std::vector<std::string> names = RemoteWalkNames(folder);
    return TKnownFolders::PathOf(names, names.size());
}

std::string NameOf(const std::string& remote) {
    const std::size_t slash = remote.rfind('/');
    return slash == std::string::npos ? remote : remote.substr(slash + 1);
}

// What the server says of the file: from the listing, or asked for alone where the listing could not be read whole.
std::optional<TRemoteItem> ListedItem(TUploadHost& host, const std::string& remote) {
    TRemoteListings* listings = host.State().Listings;
    if (listings == nullptr)
        return std::nullopt;
    const std::string folder = FolderKey(RemoteFolderOf(remote));
    const std::optional<TRemoteListing> listing = listings->Get(
        folder, [&] { return host.Connection().ListFolder(folder); }, [&] { return host.StopRequested(); });
    if (!listing)
        return std::nullopt;
    if (const auto found = listing->Items.find(NameOf(remote)); found != listing->Items.end())
        return found->second;
    if (!listing->Partial)
        return std::nullopt;
    return TRemoteItem{.File = true, .Size = host.Connection().RemoteSize(remote), .ModifiedUtc = std::nullopt};
}

} // namespace

bool AlreadyOnServer(TUploadHost& host, const std::string& local, const std::string& remote) {
    const std::optional<std::int64_t> localSize = FileSizeOf(local);
    if (!localSize)
        return false;
    std::optional<TRemoteItem> item = ListedItem(host, remote);
    if (!item || !item->File || item->Size != localSize)
        return false;
    if (!item->ModifiedUtc)
        item->ModifiedUtc = host.Connection().RemoteModified(remote);
    if (!item->ModifiedUtc)
        return true; // a server that tells no times: the size is all there is to go by
    const std::optional<std::int64_t> localTime = FileModifiedUtcOf(local);
    return localTime && *item->ModifiedUtc >= *localTime;
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
