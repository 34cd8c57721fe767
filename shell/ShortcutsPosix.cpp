// Shortcuts on Linux: freedesktop launchers (".desktop"), marked executable.
#include "shell/Shortcuts.h"

#include "shell/DesktopEntry.h"
#include "shell/ShellFolders.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

std::string ShortcutFileName(const std::string& baseName) {
    return baseName + ".desktop";
}

void CreateShortcut(const std::string& linkPath, const std::string& arguments, const std::string& target) {
    QSaveFile file(QString::fromLocal8Bit(linkPath));
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string text = LauncherText(arguments, target);
    file.write(text.data(), static_cast<qint64>(text.size()));
    if (!file.commit())
        return;
    // File managers start only launchers that are marked executable.
    QFile::setPermissions(QString::fromLocal8Bit(linkPath), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                                QFile::ExeOther);
}

void PlaceSendToShortcut(const std::string& name, const std::string& target) {
    const std::string folder = SendToFolder();
    // Nothing makes the Send To folder before its first entry is added.
    if (!folder.empty())
        QDir().mkpath(QString::fromLocal8Bit(folder));
    CreateShortcut(folder + name, std::string(), target);
}
