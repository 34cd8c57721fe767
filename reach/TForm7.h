#pragma once
// "Поиск FTP сервера": collects the range of the last address field and the user's decision for
// the server search. Created once with the other windows, only shown and hidden afterwards, so
// the two values stay between searches. The search itself runs in the connection check.

#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    // The window's answer, read by the search's waiting loop.
    enum TSearchRequest { srNotAnswered = 0, srCancel = 1, srSearch = 2 };

    // --- controls (object names equal the member names) ---
    QLabel* StaticText5;
    QLineEdit* Edit1;
    QLabel* StaticText6;
    QLineEdit* Edit2;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QPushButton* Button2;
    QPushButton* Button1;

    TSearchRequest SearchRequest = srNotAnswered;
    std::string SearchPrefix; // the first three fields of the server text, each with its "."

    void FormCreate();
    void Edit1Change();
    void Edit2Change();
    void Button1Click(); // "Поиск"
    void Button2Click(); // "Отмена"

protected:
    // Closing through the frame answers like "Отмена", so the waiting search always ends.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void connectHandlers();
};

extern TForm7* Form7;
