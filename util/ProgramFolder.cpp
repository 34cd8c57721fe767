#include "util/ProgramFolder.h"

namespace {
std::string& Storage() {
    static std::string folder;
    return folder;
}
} // namespace

const std::string& ProgramFolder() {
    return Storage();
}

void SetProgramFolder(const std::string& programPath, PathStyle style) {
    Storage() = WithTrailingBackslash(FolderPart(programPath, style), style);
}
