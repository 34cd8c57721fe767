#include "copy/SourceFiles.h"

#include "util/MaskMatch.h"

#include <filesystem>

namespace fs = std::filesystem;

bool FolderExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(fs::path(path), error);
}

bool SomeFileMatches(const std::string& folderWithSeparator, const std::string& name) {
    std::error_code error;
    if (name.empty())
        return false;
    if (fs::is_regular_file(fs::path(folderWithSeparator + name), error))
        return true;
    if (name.find_first_of("*?[") == std::string::npos)
        return false;
    try {
        const TMask mask(name);
        for (fs::directory_iterator it(fs::path(folderWithSeparator), error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file(error) && mask.Matches(it->path().filename().string()))
                return true;
        }
    } catch (const EMaskException&) {
    }
    return false;
}

std::optional<std::int64_t> FileSizeOf(const std::string& path) {
    std::error_code error;
    const fs::path file(path);
    if (!fs::is_regular_file(file, error))
        return std::nullopt;
    const auto size = fs::file_size(file, error);
    if (error)
        return std::nullopt;
    return static_cast<std::int64_t>(size);
}
