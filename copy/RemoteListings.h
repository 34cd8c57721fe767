#pragma once
// What the server holds in the remote folders of one job, listed once per folder whichever connection asks first,
// for "Пропускать файлы, которые уже есть на сервере". Shared by the job's connections; plain C++, no I/O: the
// listing itself is the connection's.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace copyjob {

// One entry of a remote folder.
struct TRemoteItem {
    bool File = false;   // a plain file: not a folder, a link or anything else
    bool Folder = false; // a folder (a link to one is not)
    std::optional<std::int64_t> Size;
    std::optional<std::int64_t> ModifiedUtc; // seconds since 1970 UTC, where the server tells it exactly
};

struct TRemoteListing {
    std::map<std::string, TRemoteItem> Items; // by name, in the program's 8-bit text
    // Some entries could not be read: a name not among Items may still be there and is asked for alone.
    bool Partial = false;

    // A name listed twice (or two names that read the same here) says nothing sure of it: its file goes as usual.
    void Add(const std::string& name, const TRemoteItem& item) {
        if (!Items.emplace(name, item).second)
            Items[name] = TRemoteItem{};
    }
};

class TRemoteListings {
public:
    using TLister = std::function<std::optional<TRemoteListing>(const std::string& folder)>;

    // One key per folder however its path was written ("/in/", "/in" and "//in" alike).
    static std::string KeyOf(const std::string& folder);

    // The remote paths of the job's files in the order they go: a connection that would wait for another's listing
    // lists one of the next few folders instead, so that several connections list at once.
    void SetPlan(const std::vector<std::string>& remoteFiles);
    // The names of the job's files in the folder `folder` (a key).
    std::vector<std::string> PlannedNames(const std::string& folder) const;
    // The listing of the remote `folder` (a key): the one taken earlier in this job, or `list`'s (run here, at most
    // once per folder at a time: a connection that asks while another lists waits for it, and `stopped` ends the
    // wait). Nothing when the folder could not be listed whole, or the wait was stopped: its files go as usual.
    // What `list` throws reaches the caller, and the folder may be listed again. With `lookAhead`, a wait is spent
    // listing a folder of the plan that comes later.
    std::optional<TRemoteListing> Get(const std::string& folder, const TLister& list,
                                      const std::function<bool()>& stopped, bool lookAhead);
    // The job made `folder` (a key): it holds nothing of the job's files.
    void MarkMade(const std::string& folder);

private:
    struct TFolder {
        bool Listing = false; // a connection lists it now
        std::optional<TRemoteListing> Listed;
    };

    // A folder of the plan after `folder`, near it, that nobody has listed or claimed; nothing when there is none.
    std::optional<std::string> NextUnclaimed(const std::string& folder) const;
    // Lists the folder just claimed (the lock released meanwhile) and settles it.
    std::optional<TRemoteListing> ListClaimed(std::unique_lock<std::mutex>& lock, const std::string& folder,
                                              const TLister& list);

    mutable std::mutex guard_;
    std::condition_variable settled_;
    std::map<std::string, TFolder> folders_;
    std::vector<std::string> plan_;
    std::map<std::string, std::size_t> planIndex_;
    std::map<std::string, std::vector<std::string>> plannedNames_;
};

} // namespace copyjob
