#include "copy/KnownFolders.h"

TKnownFolders::TStart TKnownFolders::StartFor(const std::vector<std::string>& names) const {
    for (std::size_t count = names.size(); count > 0; --count) {
        if (std::string folder = PathOf(names, count); folders_.count(folder))
            return {std::move(folder), count};
    }
    return {"/", 0};
}

std::string TKnownFolders::PathOf(const std::vector<std::string>& names, std::size_t count) {
    if (count == 0)
        return "/";
    std::string path;
    for (std::size_t i = 0; i < count && i < names.size(); ++i)
        path += "/" + names[i];
    return path;
}

void TKnownFolders::Remember(const std::vector<std::string>& names, std::size_t count) {
    folders_.insert(PathOf(names, count));
}

void TKnownFolders::Forget(const std::vector<std::string>& names) {
    for (std::size_t count = 1; count <= names.size(); ++count)
        folders_.erase(PathOf(names, count));
}

void TKnownFolders::Clear() {
    folders_.clear();
    atRoot_ = false;
}
