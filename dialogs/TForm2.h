#pragma once
// The copy options dialog: five switches the copy job reads straight from the check boxes; two more and a count of
// parallel uploads for fast folder uploads; where a saved password goes; a button that saves the five to ".option"
// (the others to ".ftps") and one that starts the copy through the main window's start button. Not modal; closing it
// through its frame only hides it.

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // Runs FormCreate: the boxes take the options read at start-up (CopyOptions).
    explicit TForm2(QWidget* parent = nullptr);

    // The live options, in the order of TCopyOptions: PowerOff, DeleteSources, NotifyDone,
    // ExitAfterCopy, TrayOnStart.
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox6; // "Не проверять уже созданные папки", KnownFolders
    QLabel* Label1;       // "Параллельных загрузок:"
    QSpinBox* SpinEdit1;  // ParallelUploads, 1 to 8
    QCheckBox* CheckBox7; // "Пропускать файлы, которые уже есть на сервере", SkipExisting
    QCheckBox* CheckBox8; // "Хранить пароль в системном хранилище", PasswordInKeyring
    QPushButton* Button1; // "Старт  копирования"
    QPushButton* Button3; // "Сохранить опции"

    // The main window's "Старт копирования"; "Старт  копирования" here clicks it.
    void setMainStartButton(QPushButton* button);

    void FormCreate();
    void CheckBox1Click();
    void Button1Click();
    void Button3Click();

private:
    void createControls();
    void connectHandlers();

    QPointer<QPushButton> mainStartButton_;
};

extern TForm2* Form2;
