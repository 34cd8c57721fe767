#include "copy/SourceFiles.h"

#include "util/CollectFiles.h"
#include "util/MaskMatch.h"
#include "util/NativePath.h"
#include "util/TextFields.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char* const kWholeFolder = "*.*";

bool HoldsSeparator(const std::string& name, PathStyle style) {
    return name.find_first_of(style == PathStyle::Windows ? "\\/:" : "/") != std::string::npos;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(NativePath(path), error);
}

} // namespace

bool FolderExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(NativePath(path), error);
}

bool SomeFileMatches(const std::string& folderWithSeparator, const std::string& name, PathStyle style) {
    if (name.empty() || HoldsSeparator(name, style))
        return false;
    if (IsRegularFile(folderWithSeparator + name))
        return true;
    if (name.find_first_of("*?[") == std::string::npos)
        return false;
    std::error_code error;
    try {
        const TMask mask(name);
        for (fs::directory_iterator it(NativePath(folderWithSeparator), error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file(error) && mask.Matches(EightBitPath(it->path().filename())))
                return true;
        }
    } catch (const EMaskException&) {
    }
    return false;
}

std::optional<std::int64_t> FileSizeOf(const std::string& path) {
    std::error_code error;
    const fs::path file = NativePath(path);
    if (!fs::is_regular_file(file, error))
        return std::nullopt;
    const auto size = fs::file_size(file, error);
    if (error)
        return std::nullopt;
    return static_cast<std::int64_t>(size);
}

std::optional<std::int64_t> FileModifiedUtcOf(const std::string& path) {
    std::error_code error;
    const fs::file_time_type written = fs::last_write_time(NativePath(path), error);
    if (error)
        return std::nullopt;
    const auto utc = std::chrono::file_clock::to_sys(written);
    return std::chrono::floor<std::chrono::seconds>(utc).time_since_epoch().count();
}

TSourceSnapshot SnapshotSource(const std::string& typedFolder, const std::string& fileName,
                               const std::string& currentFolder, PathStyle style) {
    const char sep = PathSeparator(style);
    // Windows takes "/" for "\" too, and a folder typed so must not send its whole path to the server as a name.
    std::string typed = typedFolder;
    if (style == PathStyle::Windows)
        std::replace(typed.begin(), typed.end(), '/', sep);
    TSourceSnapshot source;
    const std::string absolute =
        IsAbsolutePath(typed, style) ? typed : WithTrailingBackslash(currentFolder, style) + typed;
    source.Folder = StripTrailingBackslashes(absolute, style);
    source.WholeFolder = fileName == kWholeFolder;
    if (source.WholeFolder)
        source.Top = FieldOf(FieldCount(typed, sep), typed, sep);
    return source;
}

std::string ListingFolder(const TSourceSnapshot& source, PathStyle style) {
    return source.Folder + PathSeparator(style);
}

void ListSourceFiles(const TSourceSnapshot& source, const std::string& fileName, std::vector<std::string>& list) {
    const std::string folder = ListingFolder(source);
    if (!source.WholeFolder && !fileName.empty() && !HoldsSeparator(fileName, NativePathStyle) &&
        IsRegularFile(folder + fileName)) {
        list.push_back(folder + fileName);
        return;
    }
    CollectFiles(fileName, folder, source.WholeFolder, list);
}
