// The main window's browse buttons, tray handlers and System, Service and Help commands; what
// they do is in shell/.
#include "app/TForm1.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm6.h"
#include "shell/MainWindowCommands.h"

#include <QLineEdit>

void TForm1::setWindows(TForm3& editor, TForm6& about, TForm7& search) {
    editor_ = &editor;
    about_ = &about;
    search_ = &search;
}

void TForm1::SpeedButton2Click() {
    if (const auto fields = BrowseSourceFolder(this)) {
        Edit1->setText(fields->folder);
        Edit2->setText(fields->file);
    }
}

void TForm1::SpeedButton3Click() {
    if (const auto fields = BrowseSourceFile(this)) {
        Edit1->setText(fields->folder);
        Edit2->setText(fields->file);
    }
}

void TForm1::Button4Click() {
    HideInTray(*JvTrayIcon1);
}

void TForm1::JvTrayIcon1Click() {
    BackFromTray(*JvTrayIcon1);
}

// "Система" > "Запускать   эту программу от  имени администратора"
void TForm1::N2Click() {
    RunAsAdministrator(ProgramPath);
}

// "Система" > "Добавить в пункт "Отправить" "
void TForm1::N3Click() {
    AddToSendTo(ProgramPath);
}

// "Система" > "Отправить ярлык на рабочий стол"
void TForm1::N4Click() {
    PutShortcutOnDesktop(ProgramPath);
}

// "Сервис" > "Редактор Папок назначения": reopened from ".path", so unsaved edits are dropped
void TForm1::N6Click() {
    editor_->Open();
    ShowWithoutModality(*editor_);
}

// "Сервис" > "Редактор контекстного меню файла (пункт "Отправить")"
void TForm1::N10Click() {
    StartSendToEditor();
}

// "Помощь" > "О программе"
void TForm1::N8Click() {
    ShowWithoutModality(*about_);
}

// "Помощь" > "Помощь"
void TForm1::N9Click() {
    OpenHelp();
}
