// The main window's settings commands: collecting and saving the FTP settings, saving the source
// fields, the passive-mode box and the copy options button.
#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

void TForm1::CollectFtpSettings() {
    ApplyPasswordRule(ui::ToSystemText(Edit6->text()), CurrentPassword);
    FillFtpSettings(FtpSettings, ui::ToSystemText(ComboBox1->currentText()), ui::ToSystemText(Edit4->text()),
                    ui::ToSystemText(Edit5->text()), CurrentPassword, CheckBox2->isChecked());
}

void TForm1::SaveFtpSettings(const std::string& myIniPath) {
    if (!Edit6->text().isEmpty()) {
        const ui::MsgButton answer =
            ui::MessageBox(this, QStringLiteral("Сохранить пароль?"), QStringLiteral("Хранить пароль не безопасно"),
                           ui::MsgIcon::Warning, ui::Yes | ui::No | ui::Cancel, ui::No);
        if (answer == ui::Cancel)
            return;
        if (answer == ui::No)
            Edit6->clear(); // neither stored nor held in memory any longer
    }
    CollectFtpSettings();
    TFtpSettings record = FtpSettings;
    const bool keyringTookIt = !Options().PasswordInKeyring || keepPasswordInKeyring(record);
    const bool myIniSaved = WriteFtpSettingsFile(myIniPath, record);
    const bool ftpsSaved = saveFtpsSettingsFile();
    if (!myIniSaved) {
        ui::ShowMessage(QStringLiteral("Не могу сохранить конфигурацию,выберите в моей программе пункт "
                                       "\"Система\\Запускать   эту программу от  имени администратора\""));
    } else { // ".MyIni" was written: only what failed is named
        if (!keyringTookIt)
            ui::ShowMessage(keyringUnreachableText(myIniPath));
        if (!ftpsSaved)
            ui::ShowMessage(ftps::WriteFailureText());
    }

    const std::string pathFile = SettingsFile(PathSuffix);
    PathList = ReadTextLines(pathFile);
    const std::string folder = ui::ToSystemText(ComboBox1->currentText());
    if (std::find(PathList.begin(), PathList.end(), folder) != PathList.end())
        return;
    PathList.push_back(folder);
    AddDestinationItem(ui::FromSystemText(folder));
    WriteTextLines(pathFile, PathList);
}

void TForm1::Button3Click() {
    SaveFtpSettings(MyIniPath);
    ui::ShowMessage(QStringLiteral("Сохранено"));
}

void TForm1::Button5Click() {
    const std::string line = ui::ToSystemText(Edit1->text()) + "|" + ui::ToSystemText(Edit2->text());
    if (!WriteSingleLine(SettingsFile(IniInpSuffix), line))
        ui::ShowMessage(QStringLiteral("Ошибка 6"));
}

void TForm1::CheckBox2Click() {
    IdFTP1->Passive = CheckBox2->isChecked();
}

void TForm1::Button6Click() {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}
