#pragma once
// The remote folders one job has made or entered, and where its connection stands, so that later files
// in those folders skip the walk (for "Не проверять уже созданные папки"). Plain text rules, no I/O.
// The folders are the job's, the place is the connection's: parallel uploads give each connection its own view
// (SharedView) of one set, which may be read and changed from several threads.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class TKnownFolders {
public:
    TKnownFolders() = default;
    // A copy would share the folders unseen: a view is made on purpose, with SharedView.
    TKnownFolders(const TKnownFolders&) = delete;
    TKnownFolders& operator=(const TKnownFolders&) = delete;
    TKnownFolders(TKnownFolders&&) = default;
    TKnownFolders& operator=(TKnownFolders&&) = default;

    // How to reach the folder whose walk names are `names`: the deepest known folder to start from
    // ("/" when none is known) and how many of the names are known already.
    struct TStart {
        std::string Folder;
        std::size_t KnownNames = 0;
    };
    TStart StartFor(const std::vector<std::string>& names) const;

    // The folder reached by the first `count` of `names`, as a path from "/" ("/in/data").
    static std::string PathOf(const std::vector<std::string>& names, std::size_t count);

    void Remember(const std::vector<std::string>& names, std::size_t count);

    // The folder `path` is to be made by the caller, who must call FinishMaking for it; false when it is known (made
    // or entered meanwhile, perhaps by another connection that the caller waited for; `stopped` ends such a wait,
    // and the caller then makes it itself). So that connections sharing the set never make one folder twice.
    bool ClaimToMake(const std::string& path, const std::function<bool()>& stopped);
    void FinishMaking(const std::string& path, bool made);
    // Every folder of the chain: one of them vanished on the server.
    void Forget(const std::vector<std::string>& names);
    void Clear();

    // Another connection's view: the same folders, its own place (not known to be in "/").
    TKnownFolders SharedView() const;

    // Whether the connection is known to stand in "/". A new connection starts in its login folder.
    bool AtRoot() const { return atRoot_; }
    void SetAtRoot(bool atRoot) { atRoot_ = atRoot; }

private:
    struct TFolderSet {
        std::mutex Guard;
        std::condition_variable Settled;
        std::set<std::string> Paths;
        std::set<std::string> Making; // claimed by a connection that makes it now
    };
    std::shared_ptr<TFolderSet> folders_ = std::make_shared<TFolderSet>();
    bool atRoot_ = false;
};
