#include "shell/FolderPicker.h"

#include "ui/UiLayer.h"

#include <QDir>

TFolderChoice BrowseForFolder(QWidget* owner) {
    const std::optional<QString> folder = ui::ChooseFolder(owner, QStringLiteral("Select Folder"));
    if (!folder)
        return {};
    // An item that is no file-system folder still counts as chosen, with an empty path.
    if (folder->isEmpty())
        return {true, std::string()};
    const QString path = QDir::toNativeSeparators(QDir::cleanPath(*folder));
    return {true, path.toLocal8Bit().toStdString()};
}
