#include "util/CollectFiles.h"

#include "util/MaskMatch.h"
#include "util/Paths.h"

#include <cstdlib>
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

enum class EntryKind { Folder, File, Other };

// What an entry is, links followed. Only regular files count as files: opening a FIFO waits for a
// writer for good, and a device or a socket is nothing to upload.
EntryKind KindOf([[maybe_unused]] const dirent& entry, const std::string& path) {
#ifdef DT_DIR // where the directory entry carries the type, most entries need no stat
    if (entry.d_type == DT_DIR)
        return EntryKind::Folder;
    if (entry.d_type == DT_REG)
        return EntryKind::File;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return EntryKind::Other;
#endif
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return EntryKind::Other;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

// The folder as an absolute text: a relative one is taken from the current folder at the time of
// the call, so that the full paths in the list stay valid whatever the current folder becomes.
std::string AbsoluteFolder(const std::string& folder) {
    if (IsAbsolutePath(folder))
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

// True when `folder` is already being listed further up; otherwise it joins the chain.
bool EntersLoop(Walk& walk, const std::string& folder) {
#ifdef _WIN32
    (void)walk;
    (void)folder;
    return false; // no inode numbers to compare here
#else
    struct stat self {};
    if (stat((folder + ".").c_str(), &self) != 0)
        return true;
    for (const FolderId& id : walk.chain) {
        if (id.device == self.st_dev && id.inode == self.st_ino)
            return true;
    }
    walk.chain.push_back({self.st_dev, self.st_ino});
    return false;
#endif
}

void LeaveFolder(Walk& walk) {
    if (!walk.chain.empty())
        walk.chain.pop_back();
}

// Lists `folder` by its full path; the process's current folder is never touched.
void CollectIn(Walk& walk, std::string folder) {
    const char sep = PathSeparator();
    if (folder.back() != sep)
        folder += sep;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir || EntersLoop(walk, folder))
        return;

    const bool takesAll = walk.maskText == "*.*";
    if (!takesAll && !walk.mask)
        walk.mask.emplace(walk.maskText);

    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        std::string path = folder + name;
        switch (KindOf(*entry, path)) {
        case EntryKind::Folder:
            if (walk.recurse)
                CollectIn(walk, std::move(path));
            break;
        case EntryKind::File:
            if (takesAll || walk.mask->Matches(name))
                walk.list.push_back(std::move(path));
            break;
        case EntryKind::Other:
            break;
        }
    }
    LeaveFolder(walk);
}

} // namespace

void CollectFiles(const std::string& mask, const std::string& folder, bool recurse, std::vector<std::string>& list) {
    if (folder.empty())
        return;
    Walk walk{mask, recurse, list, std::nullopt, {}};
    CollectIn(walk, AbsoluteFolder(folder));
}
