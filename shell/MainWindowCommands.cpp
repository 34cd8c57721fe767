#include "shell/MainWindowCommands.h"

#include "shell/FolderPicker.h"
#include "shell/RunProgram.h"
#ifndef _WIN32
#include "shell/SendToEntries.h"
#endif
#include "shell/Shortcuts.h"
#include "shell/SiblingFiles.h"
#include "shell/TJvTrayIcon.h"
#include "ui/UiLayer.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include <QDir>
#include <QWidget>
#include <filesystem>
#include <system_error>

namespace {

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(NativePath(path), error);
}

std::string ShortcutName(const std::string& programPath) {
    return ShortcutFileName(NameWithoutExtension(programPath));
}

} // namespace

void HideInTray(TJvTrayIcon& tray) {
    tray.HideToTray();
    tray.SetActive(true);
}

void BackFromTray(TJvTrayIcon& tray) {
    tray.RestoreFromTray();
    tray.SetActive(false);
    ui::ProcessMessages();
}

std::optional<TSourceFields> BrowseSourceFolder(QWidget* owner) {
    const TFolderChoice choice = BrowseForFolder(owner);
    if (!choice.chosen) {
        ui::ShowMessage(QStringLiteral("Папка не выбрана"));
        return std::nullopt;
    }
    return TSourceFields{Local(choice.path), QStringLiteral("*.*")};
}

std::optional<TSourceFields> BrowseSourceFile(QWidget* owner) {
    const std::optional<QString> file = ui::ChooseFile(owner);
    if (!file) {
        ui::ShowMessage(QStringLiteral("Файл не выбран"));
        return std::nullopt;
    }
    const std::string path = QDir::toNativeSeparators(*file).toLocal8Bit().toStdString();
    return TSourceFields{Local(FolderPart(path)), Local(FileNamePart(path))};
}

void RunAsAdministrator(const std::string& programPath) {
    const std::string tool = HoisterPath();
    if (!FileExists(tool)) {
        ui::ShowMessage(QStringLiteral("Ошибка: Нет файла - ") + Local(tool) +
                        QStringLiteral(" , возможно его удалил антивирус"));
        return;
    }
    // The program ends only once its elevated copy is on its way: a helper that cannot start leaves it running.
    if (!RunProgram(tool, "\"" + programPath + "\"", std::string())) {
        ui::ShowMessage(QStringLiteral("Ошибка: Не могу запустить - ") + Local(tool));
        return;
    }
    ui::HaltProgram();
}

void AddToSendTo(const std::string& programPath) {
#ifdef _WIN32
    PlaceSendToShortcut(ShortcutName(programPath), programPath);
#else
    PlaceSendToEntries(NameWithoutExtension(programPath), programPath);
#endif
}

void PutShortcutOnDesktop(const std::string& programPath) {
    PlaceDesktopShortcut(ShortcutName(programPath), std::string(), programPath);
}

void StartSendToEditor() {
    RunProgram(MenuwrightPath(), std::string(), std::string());
}

void OpenHelp() {
    const std::string help = HelpFilePath();
    if (!FileExists(help)) {
        ui::ShowMessage(QStringLiteral("Ошибка: Нет файла - ") + Local(help) + QStringLiteral(" "));
        return;
    }
    // With nothing on the desktop to open a page (no browser, no opener), the click must not pass in silence.
    if (!RunProgram(help, std::string(), std::string()))
        ui::ShowMessage(QStringLiteral("Ошибка: Не могу открыть - ") + Local(help));
}

void ShowWithoutModality(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}
