#include "util/ForceDeleteFile.h"

#include "util/NativePath.h"

#include <filesystem>
#include <system_error>

void ForceDeleteFile(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file = NativePath(path);
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status) || fs::is_directory(status))
        return;
    // The outcome of either step does not matter to the callers: a file that stays, stays. Making it writable
    // clears the read-only attribute on Windows, which would refuse the delete.
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove(file, error);
}
