// The main window as the copy job's host: its fields, the options window's boxes, the progress
// controls, the start button, the timer and the tray.
#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "shell/TJvTrayIcon.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

void TForm1::setOptionsWindow(TForm2& options) {
    options_ = &options;
}

std::string TForm1::SourceFolder() const {
    return ui::ToSystemText(Edit1->text());
}

std::string TForm1::SourceFileName() const {
    return ui::ToSystemText(Edit2->text());
}

std::string TForm1::Destination() const {
    return ui::ToSystemText(ComboBox1->currentText());
}

void TForm1::SetDestination(const std::string& folder) {
    ComboBox1->setEditText(ui::FromSystemText(folder));
}

TCopyOptions TForm1::Options() const {
    // The boxes as they are now: a change made during a job applies from then on. Until the
    // options window exists, the options read at start-up.
    if (!options_)
        return CopyOptions;
    return {.PowerOff = options_->CheckBox1->isChecked(),
            .DeleteSources = options_->CheckBox2->isChecked(),
            .NotifyDone = options_->CheckBox3->isChecked(),
            .ExitAfterCopy = options_->CheckBox4->isChecked(),
            .TrayOnStart = options_->CheckBox5->isChecked(),
            .KnownFolders = options_->CheckBox6->isChecked(),
            .ParallelUploads = options_->SpinEdit1->value(),
            .SkipExisting = options_->CheckBox7->isChecked(),
            .PasswordInKeyring = options_->CheckBox8->isChecked()};
}

void TForm1::TickDeleteSources() {
    if (options_)
        options_->CheckBox2->setChecked(true);
    else
        CopyOptions.DeleteSources = true;
}

void TForm1::ShowMessageBox(const QString& text) {
    ui::ShowMessage(text);
}

void TForm1::SetStartEnabled(bool enabled) {
    Button2->setEnabled(enabled);
}

void TForm1::SetStopEnabled(bool enabled) {
    N11->setEnabled(enabled);
}

void TForm1::RunTimer(bool running) {
    if (running)
        Timer1->start();
    else
        Timer1->stop();
}

void TForm1::HideToTray() {
    JvTrayIcon1->HideToTray();
    JvTrayIcon1->SetActive(true);
}

void TForm1::ShowTrayPicture(const QIcon& picture) {
    JvTrayIcon1->SetIcon(picture);
}

TProgressControls TForm1::Progress() {
    return {*Label18, *ProgressBar1, *ProgressBar2, *Label7, *Label9, *Label11};
}
