#pragma once
// The add dialog of the destination folder editor: a new entry must begin with "/". Not modal.

#include <QWidget>

class QLineEdit;
class QPushButton;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    QLineEdit* Edit1;
    QPushButton* Button1; // "Добавить"

    void FormCreate();
    // Appends the text to the editor's list (Form3) and hides; a refused text stays for fixing.
    void Button1Click();
};

extern TForm4* Form4;
