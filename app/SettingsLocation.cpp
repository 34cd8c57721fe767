#include "app/SettingsLocation.h"

#include "settings/Settings.h"
#include "util/Paths.h"
#include "util/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

std::string ChooseSettingsBase(const std::string& programPath) {
    if (QFileInfo(QString::fromLocal8Bit(ProgramFolder())).isWritable())
        return SettingsBaseBesideProgram(programPath);
    const std::string baseName = NameWithoutExtension(programPath);
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(configFolder);
    return WithTrailingBackslash(configFolder.toLocal8Bit().toStdString()) + baseName;
}
