// Start-up of the main window: empty fields, program folder, caption, the settings files and the
// command line, in the order that later steps rely on.
#include "app/SettingsLocation.h"
#include "app/TForm1.h"
#include "ftp/TIdFTP.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/SystemText.h"
#include "ui/TLogView.h"
#include "ui/UiLayer.h"
#include "ui/ValueLabel.h"
#include "util/Paths.h"
#include "util/ProgramFolder.h"
#include "util/TextFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {
const QString kDesignedCaption = QStringLiteral("Ferrylo — загрузка папок и файлов на FTP сервер");
} // namespace

void TForm1::FormCreate() {
    for (QLineEdit* edit : {Edit1, Edit2, Edit4, Edit5, Edit6})
        edit->clear();
    for (QLabel* label : {Label7, Label9, Label11, Label18})
        ui::ShowValue(*label, {});
    ComboBox1->setEditText(QStringLiteral("/"));
    Memo1->clear();

    PathList.clear();
    FtpSettings = TFtpSettings{}; // empty texts, passive on, until ".MyIni" says otherwise
    CurrentPassword.clear();
    CopyOptions = TCopyOptions{};
    ProgramPath = ui::ToSystemText(startup_.programPath);
    SetProgramFolder(ProgramPath);
    SetSettingsBase(ChooseSettingsBase(ProgramPath));
    MyIniPath = SettingsFile(MyIniSuffix);
    setWindowTitle(kDesignedCaption + QStringLiteral("    ") + ui::FromSystemText(NameWithoutExtension(ProgramPath)));

    // An error report while reading ends the reading where it happened; the window opens all the same.
    ui::RunHandler([this] {
        readStartupSettings();
        copyState_.SourceList.clear();
        applyCommandLine();
        readFtpSettingsFile();
        IdFTP1->Passive = CheckBox2->isChecked();
        readFtpsSettingsFile();
    });
}

void TForm1::readStartupSettings() {
    PathList = ReadTextLines(SettingsFile(PathSuffix));
    for (const std::string& line : PathList)
        AddDestinationItem(ui::FromSystemText(line));
    if (auto line = ReadFirstLine(SettingsFile(IniInpSuffix))) {
        Edit1->setText(ui::FromSystemText(PipeField(1, *line)));
        Edit2->setText(ui::FromSystemText(PipeField(2, *line)));
    }
    ReadCopyOptionsFile(SettingsFile(OptionSuffix), CopyOptions);
}

void TForm1::applyCommandLine() {
    if (startup_.arguments.isEmpty() || startup_.arguments.first().isEmpty())
        return;
    // Windows takes '/' as a separator too, but the program's own path rules split only at the native one.
    const QString argument = QDir::toNativeSeparators(startup_.arguments.first());
    if (QFileInfo(argument).isDir()) {
        Edit1->setText(argument);
        Edit2->setText(QStringLiteral("*.*"));
        return;
    }
    // Split without checking that the file exists: the copy job reports a missing one.
    const std::string path = ui::ToSystemText(argument);
    Edit1->setText(ui::FromSystemText(FolderPart(path)));
    Edit2->setText(ui::FromSystemText(FileNamePart(path)));
}

void TForm1::readFtpSettingsFile() {
    if (!ReadFtpSettingsFile(MyIniPath, FtpSettings))
        return;
    ComboBox1->setEditText(ui::FromSystemText(FtpSettings.Folder));
    Edit4->setText(ui::FromSystemText(FtpSettings.Server));
    Edit5->setText(ui::FromSystemText(FtpSettings.Login));
    CheckBox2->setChecked(FtpSettings.Passive);
    if (!FtpSettings.Password.empty()) {
        CurrentPassword = DecryptPassword(FtpSettings.Password);
    } else if (!FtpSettings.Login.empty()) {
        if (const auto kept = passwordFromKeyring()) {
            CurrentPassword = *kept;
        } else {
            const auto answer = ui::InputBox(QStringLiteral("login:") + ui::FromSystemText(FtpSettings.Login),
                                             QStringLiteral("Введите пароль"), QString(), ui::InputEcho::Password);
            CurrentPassword = answer ? ui::ToSystemText(*answer) : std::string();
        }
    }
    Edit6->setText(ui::FromSystemText(PasswordMask(CurrentPassword)));
}
