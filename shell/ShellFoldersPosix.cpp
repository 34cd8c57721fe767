// Shell folders on Linux: the user's data folder, Thunar's Send To folder in it, and the XDG desktop.
#include "shell/AllUsersDesktop.h"
#include "shell/ShellFolders.h"

#include "util/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

std::string Local8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace

std::string DataHomeFolder() {
    // The XDG base directory rules ignore a relative $XDG_DATA_HOME.
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return WithTrailingBackslash(
            Local8Bit(QDir::cleanPath(configured))); // no doubled separator from a trailing one
    return WithTrailingBackslash(Local8Bit(QDir::homePath() + QStringLiteral("/.local/share")));
}

std::string SendToFolder() {
    return DataHomeFolder() + "Thunar/sendto/";
}

std::string DesktopFolder() {
    return WithTrailingBackslash(Local8Bit(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
}

std::string AllUsersDesktopFolder() {
    return {};
}
