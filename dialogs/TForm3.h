#pragma once
// The destination folder editor: the saved destination folders (".path") in a list the user
// adds to, deletes from, changes and reorders. Nothing reaches the file or the main window's
// destination drop-down before "Сохранить изменения". Not modal; closing it only hides it.

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QListWidget;
class QMenu;
class QPushButton;
class TForm4;
class TForm5;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // `destinationBox`: the main window's destination field, whose drop-down a save refills.
    explicit TForm3(QComboBox* destinationBox = nullptr, QWidget* parent = nullptr);

    QListWidget* ListBox1; // single selection, duplicates allowed; context menu PopupMenu1
    QMenu* PopupMenu1;
    QAction* N1;          // "Создать "  -> add
    QAction* N2;          // "Изменить"  -> delete (crosswise to the buttons of the same captions)
    QAction* N3;          // "Удалить"   -> change
    QPushButton* Button1; // "Добавить"
    QPushButton* Button2; // "Удалить"
    QPushButton* Button3; // "Сохранить изменения"
    QPushButton* Button4; // "Изменить"
    QPushButton* Button5; // "Вверх"
    QPushButton* Button6; // "Вниз"

    void setDestinationBox(QComboBox* box);
    // The add and change dialogs, made after the editor because they edit its list.
    void setEntryDialogs(TForm4& add, TForm5& change);
    // The main window's list of destination folders, which loading and saving go through (the
    // buffer of ".path"); without one the editor keeps its own.
    void setPathList(std::vector<std::string>* list);

    // Reloads the list from ".path"; called before every showing, so unsaved edits are dropped.
    // Throws EFOpenError when the file is there but cannot be read.
    void Open();

    void Button1Click(); // add
    void N1Click();
    void Button2Click(); // delete
    void N2Click();
    void Button4Click(); // change
    void N3Click();
    void Button5Click(); // move up
    void Button6Click(); // move down
    void Button3Click(); // save

private:
    void createControls();
    void connectHandlers();
    void addEntry();
    void deleteEntry();
    void changeEntry();

    QPointer<QComboBox> destinationBox_;
    QPointer<TForm4> addDialog_;
    QPointer<TForm5> changeDialog_;
    std::vector<std::string> ownPathList_;
    std::vector<std::string>* pathList_ = &ownPathList_;
};

extern TForm3* Form3;
