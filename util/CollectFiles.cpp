#include "util/CollectFiles.h"

#include "util/FileErrors.h"
#include "util/MaskMatch.h"
#include "util/Paths.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FolderId {
    dev_t device;
    ino_t inode;
};

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

// The folders being listed, outermost first: a folder reached again through a link is one of
// them and is not entered a second time, so a link loop cannot recurse forever.
using FolderChain = std::vector<FolderId>;

bool IsDotOrDotDot(std::string_view name) {
    return name == "." || name == "..";
}

bool IsFolder(const dirent& entry) {
#ifdef DT_DIR // where the directory entry carries the type, most entries need no stat
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
#endif
    struct stat st {};
    return stat(entry.d_name, &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder as an absolute text: a relative one is taken from the current directory at the
// time of the call, so that the full paths in the list stay valid after the directory changes.
std::string AbsoluteFolder(const std::string& folder) {
    if (folder.front() == '/')
        return folder;
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    if (!cwd)
        return folder;
    return WithTrailingBackslash(cwd.get()) + folder;
}

// What one call of CollectFiles shares with its recursion.
struct Walk {
    const std::string& maskText;
    bool recurse;
    std::vector<std::string>& list;
    std::optional<TMask> mask; // read once a folder could be entered: a bad folder stays silent
    FolderChain chain;
};

void CollectIn(Walk& walk, std::string folder) {
    if (folder.empty())
        return;
    if (folder.back() != '/')
        folder += '/';
    if (chdir(folder.c_str()) != 0)
        return;

    struct stat self {};
    if (stat(".", &self) != 0)
        return;
    for (const FolderId& id : walk.chain) {
        if (id.device == self.st_dev && id.inode == self.st_ino)
            return;
    }
    walk.chain.push_back({self.st_dev, self.st_ino});

    std::unique_ptr<DIR, DirCloser> dir(opendir("."));
    if (dir) {
        const bool takesAll = walk.maskText == "*.*";
        if (!takesAll && !walk.mask)
            walk.mask.emplace(walk.maskText);

        while (const dirent* entry = readdir(dir.get())) {
            const std::string_view name = entry->d_name;
            if (IsDotOrDotDot(name))
                continue;
            if (IsFolder(*entry)) {
                if (!walk.recurse)
                    continue;
                CollectIn(walk, folder + std::string(name));
                if (chdir(folder.c_str()) != 0)
                    throw EInOutError(errno);
                continue;
            }
            if (takesAll || walk.mask->Matches(name))
                walk.list.push_back(folder + std::string(name));
        }
    }
    walk.chain.pop_back();
}

} // namespace

void CollectFiles(const std::string& mask, const std::string& folder, bool recurse, std::vector<std::string>& list) {
    if (folder.empty())
        return;
    Walk walk{mask, recurse, list, std::nullopt, {}};
    CollectIn(walk, AbsoluteFolder(folder));
}
