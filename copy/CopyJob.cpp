// The copy job behind "Старт копирования": check the input, connect, upload every source file
// under its remote path, and end as the copy options say.
#include "app/TForm1.h"
#include "ui/TProgressBar.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "copy/ProgressMath.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadTally.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "shell/RunProgram.h"
#include "shell/SiblingFiles.h"
#include "shell/Sound.h"
#include "shell/TJvTrayIcon.h"
#include "util/ForceDeleteFile.h"
#include "util/Paths.h"
#include "util/TimeTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

namespace {

const char* const kWholeFolder = "*.*";
const QString kDoneSound = QStringLiteral(":/MYWAVE1.wav");

std::string Text(const QLineEdit* edit) {
    return edit->text().toLocal8Bit().toStdString();
}
std::string Text(const QComboBox* combo) {
    return combo->currentText().toLocal8Bit().toStdString();
}
QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

void Show(const std::string& text) {
    ui::ShowMessage(Local(text));
}

// The options are read from the options window at the moment they matter: a change made during a
// job applies from then on.
bool PowerOff() {
    return Form2->CheckBox1->isChecked();
}
bool DeleteSources() {
    return Form2->CheckBox2->isChecked();
}
bool NotifyDone() {
    return Form2->CheckBox3->isChecked();
}
bool ExitAfterCopy() {
    return Form2->CheckBox4->isChecked();
}
bool TrayOnStart() {
    return Form2->CheckBox5->isChecked();
}

// The source fields as checked; the job lists exactly what was checked.
struct TTypedSource {
    std::string folder;
    std::string fileName;
    std::string currentFolder; // a relative source folder starts here
};

// Phase A: the first fault ends the job with its message; nothing has changed before it passes.
bool InputIsValid(TForm1& form, TTypedSource& source) {
    std::string destination = Text(form.ComboBox1);
    if (destination.empty()) {
        form.ComboBox1->setEditText(QStringLiteral("/"));
    } else if (destination.front() != '/') {
        ui::ShowMessage(QStringLiteral("Папка назначения должна начинаться с \"/\""));
        return false;
    }
    const std::string folder = Text(form.Edit1);
    if (!FolderExists(folder)) {
        Show("Нет папки - " + folder);
        return false;
    }
    const std::string fileName = Text(form.Edit2);
    const std::string folderWithSeparator = WithTrailingBackslash(folder);
    if (fileName != kWholeFolder && !SomeFileMatches(folderWithSeparator, fileName)) {
        Show("Нет  файла - " + folderWithSeparator + fileName +
             "Исходящий файл может быть или именем файла или \"*.*\"");
        return false;
    }
    if (Text(form.ComboBox1).find('\\') != std::string::npos) {
        ui::ShowMessage(QStringLiteral("В Папке назначения должны быть не \"\\\" а \"/\""));
        return false;
    }
    std::error_code error;
    source = {folder, fileName, std::filesystem::current_path(error).string()};
    return true;
}

void AskAboutMoving(TForm1& form) {
    if (DeleteSources())
        return;
    const ui::MsgButton answer =
        ui::MessageBox(&form, QStringLiteral("Удалить исходные файлы после копирования (перенос файлов)?"),
                       QStringLiteral("вопрос"), ui::MsgIcon::Warning, ui::Yes | ui::No, ui::No);
    if (answer != ui::No)
        Form2->CheckBox2->setChecked(true); // for this job and the rest of the run; not saved
}

TSourceSnapshot ListSources(TForm1& form, const TTypedSource& typed) {
    form.TotalBytes = 0;
    form.FinishedBytes = 0;
    form.SentBytes = 0; // the first tick of a new job must not see the last job's bytes
    form.SourceList.clear();
    const TSourceSnapshot source = SnapshotSource(typed.folder, typed.fileName, typed.currentFolder);
    ListSourceFiles(source, typed.fileName, form.SourceList);
    for (const std::string& item : form.SourceList) {
        if (const auto size = FileSizeOf(item))
            form.TotalBytes += *size;
    }
    form.Label18->setText(Local(TotalSizeText(form.TotalBytes)));
    form.ProgressBar2->SetMax(KilobyteScale(form.TotalBytes));
    form.ProgressBar2->SetPosition(0);
    return source;
}

void ReturnToIdle(TForm1& form) {
    form.Timer1->stop();
    form.CopyIdle = true;
    form.Button2->setEnabled(true);
}

// Phase B after the connection: the destination, the first tray picture, the timer.
void BeginUploads(TForm1& form) {
    form.AppendLog(NowStamp() + ": +Установлена связь с сервером");
    form.MakeRemotePath(Text(form.ComboBox1));
    form.LoadTrayPicture("ICON0");
    form.IconStage = 0; // the picture just loaded; a stale stage from the last job would skip a change
    form.IconStep = static_cast<double>(form.TotalBytes) / 6.0;
    if (TrayOnStart()) {
        form.JvTrayIcon1->HideToTray();
        form.JvTrayIcon1->SetActive(true);
    }
    form.Button2->setEnabled(false);
    form.StartTime = NowInDays();
    form.Timer1->start();
}

// Phase C for one file; false when its upload failed and the job has ended.
bool CopyOne(TForm1& form, const std::string& item, const TSourceSnapshot& source) {
    if (const auto size = FileSizeOf(item))
        form.CurrentFileBytes = *size;
    const std::string remote = RemotePathOf(item, source, Text(form.ComboBox1));

    ui::ProcessMessages();
    form.AppendLog(NowStamp() + ": Начал копироваться файл : " + item);
    ui::ProcessMessages();

    if (!form.IdFTP1->IsOpen())
        form.ConnectToServer(FtpSettings.Server);
    if (!form.UploadOne(item, remote)) {
        Show("Ошибка копирования " + item);
        form.AppendLog(NowStamp() + ": ошибка копирования " + item);
        ReturnToIdle(form);
        return false;
    }
    form.AppendLog(NowStamp() + ": Скопирован файл " + item);
    // A move deletes the source only when the server got every byte of it as it is now.
    if (DeleteSources() && CurrentUploadTally().Confirms(FileSizeOf(item)))
        ForceDeleteFile(item);
    return true;
}

// Every file is stored by now: a server that already dropped the line, or a goodbye that cannot
// be sent, changes nothing of that, and must not keep the end steps from running.
void LeaveServerIgnoringFailure(TIdFTP& ftp) {
    if (!ftp.IsOpen())
        return;
    try {
        ftp.AbortTransfer();
        ftp.LeaveServer();
    } catch (const std::exception&) {
        ftp.CloseConnection();
    }
}

// Phase D: leave the server, back to Idle, then the sound and the options.
void FinishJob(TForm1& form) {
    LeaveServerIgnoringFailure(*form.IdFTP1);
    ReturnToIdle(form);
    if (HasSoundOutput())
        PlayWaveResource(kDoneSound);
    QApplication::beep();
    if (NotifyDone())
        ui::ShowMessage(QStringLiteral("Копирование завершено"));
    if (PowerOff())
        RunProgram(PowerOffToolPath(), "", "");
    if (ExitAfterCopy())
        ui::HaltProgram();
}

void RunJob(TForm1& form, const TTypedSource& typed) {
    AskAboutMoving(form);
    form.CollectFtpSettings();
    const TSourceSnapshot source = ListSources(form, typed);

    if (!form.ConnectToServer(FtpSettings.Server)) {
        ui::ShowMessage(QStringLiteral("Нет связи"));
        ReturnToIdle(form);
        return;
    }
    BeginUploads(form);
    // By index: the list belongs to the window, and the loop turns the message loop in between.
    for (std::size_t i = 0; i < form.SourceList.size(); ++i) {
        const std::string item = form.SourceList[i];
        if (!CopyOne(form, item, source))
            return;
    }
    FinishJob(form);
}

} // namespace

void TForm1::Button2Click() {
    // One FTP operation at a time: the client serves either the connection check or a job. A job
    // being prepared (the question, the connection) still has the button enabled.
    if (CheckRunning) {
        ui::ShowMessage(QStringLiteral("Идет проверка связи"));
        return;
    }
    if (!CopyIdle) {
        ui::ShowMessage(QStringLiteral("Копирование уже идет"));
        return;
    }
    TTypedSource source;
    if (!InputIsValid(*this, source))
        return;
    CopyIdle = false;
    try {
        RunJob(*this, source);
    } catch (...) {
        // An error the job does not handle still reaches the error box, but the window is usable again.
        ReturnToIdle(*this);
        throw;
    }
}
