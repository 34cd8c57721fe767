#include "copy/RemotePath.h"

#include "util/TextFields.h"

#include <algorithm>

std::string OneLeadingSlash(const std::string& path) {
    const auto first = path.find_first_not_of('/');
    if (first == std::string::npos)
        return "/";
    return "/" + path.substr(first);
}

std::string StripTrailingSlashes(const std::string& text) {
    const auto last = text.find_last_not_of('/');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

namespace {

// The item's path inside the source folder: what follows the folder (as the listing wrote it, that
// is without trailing separators) and one separator.
std::string PathInsideSource(const std::string& item, const std::string& folder, PathStyle style) {
    const std::string listed = StripTrailingBackslashes(folder, style);
    const auto skip = listed.size() + 1;
    return item.size() > skip ? item.substr(skip) : std::string();
}

} // namespace

std::string RemotePathOf(const std::string& item, const TCopySource& source, PathStyle style) {
    const char sep = PathSeparator(style);
    const bool wholeFolder = source.FileName == "*.*";

    std::string dest = source.Destination;
    if (!dest.empty() && dest != "/")
        dest = StripTrailingSlashes(dest);

    // The folder's own name: its last field as typed, empty when typed with a trailing separator.
    const std::string top = wholeFolder ? FieldOf(FieldCount(source.Folder, sep), source.Folder, sep) : std::string();
    std::string rel = top + "/" + PathInsideSource(item, source.Folder, style);
    std::replace(rel.begin(), rel.end(), sep, '/');

    return OneLeadingSlash(dest + "/" + rel);
}

std::string RemoteFolderOf(const std::string& remotePath) {
    const auto slash = remotePath.rfind('/');
    return slash == std::string::npos ? std::string() : remotePath.substr(0, slash);
}

std::vector<std::string> RemoteWalkNames(const std::string& folderPath) {
    std::vector<std::string> names;
    const int n = FieldCount(folderPath, '/');
    for (int k = 2; k <= n; ++k) {
        std::string name = FieldOf(k, folderPath, '/');
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}
