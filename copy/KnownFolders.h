#pragma once
// The remote folders one job has made or entered, and where its connection stands, so that later files
// in those folders skip the walk (for "Не проверять уже созданные папки"). Plain text rules, no I/O.

#include <set>
#include <string>
#include <vector>

class TKnownFolders {
public:
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
    // Every folder of the chain: one of them vanished on the server.
    void Forget(const std::vector<std::string>& names);
    void Clear();

    // Whether the connection is known to stand in "/". A new connection starts in its login folder.
    bool AtRoot() const { return atRoot_; }
    void SetAtRoot(bool atRoot) { atRoot_ = atRoot; }

private:
    std::set<std::string> folders_;
    bool atRoot_ = false;
};
