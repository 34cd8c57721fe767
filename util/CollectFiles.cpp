#include "util/CollectFiles.h"

#include "util/FolderEntries.h"
#include "util/MaskMatch.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include <optional>
#include <system_error>

#include <sys/stat.h>

namespace {

struct FolderId {
    dev_t device;
    ino_t inode;
};

// The folders being listed, outermost first: a folder reached again through a link is one of
// them and is not entered a second time, so a link loop cannot recurse forever.
using FolderChain = std::vector<FolderId>;

// The folder as an absolute text: a relative one is taken from the current folder at the time of
// the call, so that the full paths in the list stay valid whatever the current folder becomes.
std::string AbsoluteFolder(const std::string& folder) {
    if (IsAbsolutePath(folder))
        return folder;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error)
        return folder;
    return WithTrailingBackslash(EightBitPath(current)) + folder;
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
    std::vector<TFolderEntry> entries;
    if (!ReadFolderEntries(folder, entries) || EntersLoop(walk, folder))
        return;

    const bool takesAll = walk.maskText == "*.*";
    if (!takesAll && !walk.mask)
        walk.mask.emplace(walk.maskText);

    for (TFolderEntry& entry : entries) {
        switch (entry.Kind) {
        case EntryKind::Folder:
            if (walk.recurse)
                CollectIn(walk, folder + entry.Name);
            break;
        case EntryKind::File:
            if (takesAll || walk.mask->Matches(entry.Name))
                walk.list.push_back(folder + entry.Name);
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
