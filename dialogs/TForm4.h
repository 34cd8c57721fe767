#pragma once
// The add dialog of the destination folder editor: a new entry must begin with "/". Not modal.

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    // `list`: the editor's list, which a confirmed entry joins at the end.
    explicit TForm4(QListWidget& list, QWidget* parent = nullptr);

    QLineEdit* Edit1;
    QPushButton* Button1; // "Добавить"

    void FormCreate();
    // Appends the text to the editor's list and hides; a refused text stays for fixing.
    void Button1Click();

private:
    QListWidget& list_;
};

extern TForm4* Form4;
