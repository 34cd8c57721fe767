#pragma once
// The change dialog of the destination folder editor. Not modal, so the selection in the editor
// may move while it is open: the change lands on the entry selected when "Сохранить" is pressed.

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    // `list`: the editor's list, whose selected entry a confirmed text replaces.
    explicit TForm5(QListWidget& list, QWidget* parent = nullptr);

    QLineEdit* Edit1;
    QPushButton* Button1; // "Сохранить"

    void FormCreate();
    // Puts the text into the entry selected in the editor's list and hides; an empty text does
    // nothing. Throws EListError when no entry is selected any more.
    void Button1Click();

private:
    QListWidget& list_;
};

extern TForm5* Form5;
