#include "dialogs/TForm2.h"

#include "settings/FtpsFile.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "ui/FormBuilder.h"
#include "ui/UiLayer.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
    createControls();
    connectHandlers();
    FormCreate();
}

void TForm2::createControls() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Опции копирования"));
    setFixedSize(640, 328);

    const auto checkBox = [this](const char* name, const QString& caption, int top, bool designed) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(16, top, 612, 24);
        box->setChecked(designed); // FormCreate overwrites it with the saved option
        return box;
    };
    CheckBox1 = checkBox("CheckBox1", QStringLiteral("Выключить комп после скачивания всех файлов"), 12, false);
    CheckBox2 = checkBox("CheckBox2",
                         QStringLiteral("Удалять исходные файлы после удачного копирования на сервер (Перенос файлов)"),
                         40, false);
    CheckBox3 = checkBox("CheckBox3", QStringLiteral("Сообщать когда все скопируется"), 68, true);
    CheckBox4 = checkBox("CheckBox4", QStringLiteral("После копирования всех файлов выйти из программы"), 96, true);
    CheckBox5 = checkBox("CheckBox5", QStringLiteral("Свернуть в  Tray при запуске  копирования"), 124, false);
    CheckBox6 = checkBox("CheckBox6", QStringLiteral("Не проверять уже созданные папки"), 152, false);

    Label1 = new QLabel(QStringLiteral("Параллельных загрузок:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 182, 200, 24);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(220, 182, 64, 24);
    SpinEdit1->setRange(kMinParallelUploads, kMaxParallelUploads);
    Label1->setBuddy(SpinEdit1);
    CheckBox7 = checkBox("CheckBox7", QStringLiteral("Пропускать файлы, которые уже есть на сервере"), 212, false);
    CheckBox8 = checkBox("CheckBox8", QStringLiteral("Хранить пароль в системном хранилище"), 240, false);

    Button1 = new QPushButton(QStringLiteral("Старт  копирования"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 280, 200, 32);
    Button3 = new QPushButton(QStringLiteral("Сохранить опции"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(424, 280, 200, 32);
}

void TForm2::connectHandlers() {
    // toggled, not clicked: the switch reacts however the box becomes ticked.
    ui::OnSignal(CheckBox1, &QCheckBox::toggled, this, &TForm2::CheckBox1Click);
    ui::OnSignal(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    ui::OnSignal(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
}

void TForm2::setMainStartButton(QPushButton* button) {
    mainStartButton_ = button;
}

// In this order: box 1 may untick box 3 as it becomes ticked, and box 3 then takes its own value.
void TForm2::FormCreate() {
    CheckBox1->setChecked(CopyOptions.PowerOff);
    CheckBox2->setChecked(CopyOptions.DeleteSources);
    CheckBox3->setChecked(CopyOptions.NotifyDone);
    CheckBox4->setChecked(CopyOptions.ExitAfterCopy);
    CheckBox5->setChecked(CopyOptions.TrayOnStart);
    CheckBox6->setChecked(CopyOptions.KnownFolders);
    SpinEdit1->setValue(CopyOptions.ParallelUploads);
    CheckBox7->setChecked(CopyOptions.SkipExisting);
    CheckBox8->setChecked(CopyOptions.PasswordInKeyring);
}

// Powering off after the copy leaves nobody to read a completion report.
void TForm2::CheckBox1Click() {
    if (CheckBox1->isChecked())
        CheckBox3->setChecked(false);
}

// Runs the whole copy job: the main window's click handler returns only when the job has ended.
void TForm2::Button1Click() {
    hide();
    if (mainStartButton_ && mainStartButton_->isEnabled())
        mainStartButton_->click();
    else if (mainStartButton_)
        ui::ShowMessage(QStringLiteral("Копирование уже идет")); // the main start button is off while a job runs
    hide();
}

// The options in memory change even when the file cannot be created; a failed create is silent.
void TForm2::Button3Click() {
    CopyOptions.PowerOff = CheckBox1->isChecked();
    CopyOptions.DeleteSources = CheckBox2->isChecked();
    CopyOptions.NotifyDone = CheckBox3->isChecked();
    CopyOptions.ExitAfterCopy = CheckBox4->isChecked();
    CopyOptions.TrayOnStart = CheckBox5->isChecked();
    CopyOptions.KnownFolders = CheckBox6->isChecked();
    CopyOptions.ParallelUploads = SpinEdit1->value();
    CopyOptions.SkipExisting = CheckBox7->isChecked();
    CopyOptions.PasswordInKeyring = CheckBox8->isChecked();
    WriteCopyOptionsFile(SettingsFile(OptionSuffix), CopyOptions);
    // ".option" keeps its five bytes; the rest goes with the other lines of ".ftps", which stay as they are.
    const std::string ftpsPath = SettingsFile(FtpsSuffix);
    TFtpsFile ftps = TFtpsFile::Read(ftpsPath);
    ftps.SetKnownFolders(CopyOptions.KnownFolders);
    ftps.SetParallelUploads(CopyOptions.ParallelUploads);
    ftps.SetSkipExisting(CopyOptions.SkipExisting);
    ftps.SetPasswordInKeyring(CopyOptions.PasswordInKeyring);
    ftps.Write(ftpsPath);
}
