#include "copy/KnownFolders.h"

#include <chrono>

TKnownFolders::TStart TKnownFolders::StartFor(const std::vector<std::string>& names) const {
    const std::lock_guard lock(folders_->Guard);
    for (std::size_t count = names.size(); count > 0; --count) {
        if (std::string folder = PathOf(names, count); folders_->Paths.count(folder))
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
    std::string path = PathOf(names, count);
    const std::lock_guard lock(folders_->Guard);
    folders_->Paths.insert(std::move(path));
}

bool TKnownFolders::ClaimToMake(const std::string& path, const std::function<bool()>& stopped) {
    std::unique_lock lock(folders_->Guard);
    while (folders_->Making.count(path) && !stopped())
        folders_->Settled.wait_for(lock, std::chrono::milliseconds(50));
    if (folders_->Paths.count(path))
        return false;
    folders_->Making.insert(path);
    return true;
}

void TKnownFolders::FinishMaking(const std::string& path, bool made) {
    {
        const std::lock_guard lock(folders_->Guard);
        folders_->Making.erase(path);
        if (made)
            folders_->Paths.insert(path);
    }
    folders_->Settled.notify_all();
}

void TKnownFolders::Forget(const std::vector<std::string>& names) {
    const std::lock_guard lock(folders_->Guard);
    for (std::size_t count = 1; count <= names.size(); ++count)
        folders_->Paths.erase(PathOf(names, count));
}

void TKnownFolders::Clear() {
    {
        const std::lock_guard lock(folders_->Guard);
        folders_->Paths.clear();
    }
    atRoot_ = false;
}

TKnownFolders TKnownFolders::SharedView() const {
    TKnownFolders view;
    view.folders_ = folders_;
    return view;
}
