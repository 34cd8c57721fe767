// The main window's handlers for the browse buttons, the tray and the System, Service and Help
// menus.
#include "app/TForm1.h"
#include "ui/UiLayer.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm6.h"
#include "shell/FolderPicker.h"
#include "shell/RunProgram.h"
#include "shell/Shortcuts.h"
#include "shell/SiblingFiles.h"
#include "shell/TJvTrayIcon.h"
#include "util/Paths.h"

#include <QDir>
#include <QLineEdit>
#include <filesystem>
#include <system_error>

namespace {

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

void ShowWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TForm1::SpeedButton2Click() {
    const TFolderChoice choice = BrowseForFolder(this);
    if (!choice.chosen) {
        ui::ShowMessage(QStringLiteral("Папка не выбрана"));
        return;
    }
    Edit1->setText(Local(choice.path));
    Edit2->setText(QStringLiteral("*.*"));
}

void TForm1::SpeedButton3Click() {
    const std::optional<QString> file = ui::ChooseFile(this);
    if (!file) {
        ui::ShowMessage(QStringLiteral("Файл не выбран"));
        return;
    }
    const std::string path = QDir::toNativeSeparators(*file).toLocal8Bit().toStdString();
    Edit1->setText(Local(FolderPart(path)));
    Edit2->setText(Local(FileNamePart(path)));
}

void TForm1::Button4Click() {
    JvTrayIcon1->HideToTray();
    JvTrayIcon1->SetActive(true);
}

void TForm1::JvTrayIcon1Click() {
    JvTrayIcon1->RestoreFromTray();
    JvTrayIcon1->SetActive(false);
    ui::ProcessMessages();
}

void TForm1::N2Click() {
    const std::string tool = HoisterPath();
    if (!FileExists(tool)) {
        ui::ShowMessage(QStringLiteral("Ошибка: Нет файла - ") + Local(tool) +
                        QStringLiteral(" , возможно его удалил антивирус"));
        return;
    }
    RunProgram(tool, "\"" + ProgramPath + "\"", std::string());
    ui::HaltProgram();
}

void TForm1::N3Click() {
    PlaceSendToShortcut(ShortcutFileName(NameWithoutExtension(ProgramPath)), ProgramPath);
}

void TForm1::N4Click() {
    PlaceDesktopShortcut(ShortcutFileName(NameWithoutExtension(ProgramPath)), std::string(), ProgramPath);
}

void TForm1::N6Click() {
    Form3->Open();
    ShowWindow(Form3);
}

void TForm1::N8Click() {
    ShowWindow(Form6);
}

void TForm1::N9Click() {
    const std::string help = HelpFilePath();
    if (!FileExists(help)) {
        ui::ShowMessage(QStringLiteral("Ошибка: Нет файла - ") + Local(help) + QStringLiteral(" "));
        return;
    }
    RunProgram(help, std::string(), std::string());
}

void TForm1::N10Click() {
    RunProgram(MenuwrightPath(), std::string(), std::string());
}
