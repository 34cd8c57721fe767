#include "shell/Shortcuts.h"

#include "shell/ShellFolders.h"
#include "shell/ShortcutPaths.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include <filesystem>
#include <system_error>

bool ShortcutPathExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(NativePath(path), error);
}

std::string FolderWithSeparator(const std::string& target) {
    const std::string folder = FolderPart(target);
    return folder.empty() ? folder : WithTrailingBackslash(folder);
}

void PlaceDesktopShortcut(const std::string& name, const std::string& arguments, const std::string& target) {
    if (!ShortcutPathExists(DesktopFolder() + name))
        CreateShortcut(CommonDesktopFolder() + name, arguments, target);
    if (!ShortcutPathExists(CommonDesktopFolder() + name) && !ShortcutPathExists(DesktopFolder() + name))
        CreateShortcut(DesktopFolder() + name, arguments, target);
}
