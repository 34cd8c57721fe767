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

// The item's path inside the listed folder: what follows the folder and one separator. Listed items
// always begin so; anything else keeps only its name rather than losing part of it.
std::string PathInsideSource(const std::string& item, const TSourceSnapshot& source, PathStyle style) {
    const std::string folder = ListingFolder(source, style);
    if (item.size() > folder.size() && item.compare(0, folder.size(), folder) == 0)
        return item.substr(folder.size());
    return FileNamePart(item, style);
}

} // namespace

std::string RemotePathOf(const std::string& item, const TSourceSnapshot& source, const std::string& destination,
                         PathStyle style) {
    std::string dest = destination;
    if (!dest.empty() && dest != "/")
        dest = StripTrailingSlashes(dest);

    std::string rel = source.Top + "/" + PathInsideSource(item, source, style);
    std::replace(rel.begin(), rel.end(), PathSeparator(style), '/');

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
