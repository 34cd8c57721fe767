#include "util/FolderEntries.h"

#include <string_view>

namespace {
bool IsDotOrDotDot(std::string_view name) {
    return name == "." || name == "..";
}
} // namespace

#ifdef _WIN32
#include "util/NativePath.h"

#include <windows.h>

bool ReadFolderEntries(const std::string& folder, std::vector<TFolderEntry>& entries) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((NativePath(folder) / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        std::string name = EightBitPath(std::filesystem::path(found.cFileName));
        if (IsDotOrDotDot(name))
            continue;
        const bool folderEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back({std::move(name), folderEntry ? EntryKind::Folder : EntryKind::File});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

#else
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

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

} // namespace

bool ReadFolderEntries(const std::string& folder, std::vector<TFolderEntry>& entries) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        const EntryKind kind = KindOf(*entry, folder + name);
        entries.push_back({std::move(name), kind});
    }
    return true;
}

#endif
