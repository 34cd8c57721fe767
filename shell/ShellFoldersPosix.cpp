// Shell folders on Linux: the file manager's Send To folder and the XDG desktop.
#include "shell/AllUsersDesktop.h"
#include "shell/ShellFolders.h"

#include "util/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

std::string Local8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// The XDG base directory rules ignore a relative $XDG_DATA_HOME.
QString DataHome() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured); // no doubled separator from a trailing one
    return QDir::homePath() + QStringLiteral("/.local/share");
}

} // namespace

std::string SendToFolder() {
    return WithTrailingBackslash(Local8Bit(DataHome() + QStringLiteral("/Thunar/sendto")));
}

std::string DesktopFolder() {
    return WithTrailingBackslash(Local8Bit(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
}

std::string AllUsersDesktopFolder() {
    return {};
}
