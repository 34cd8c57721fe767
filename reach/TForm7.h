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
    QLabel* StaticText5;  // "Поиск от "  -> label of Edit1
    QLineEdit* Edit1;     // first value of the last address field, "1" at creation
    QLabel* StaticText6;  // "Поиск до"   -> label of Edit2
    QLineEdit* Edit2;     // last value of the last address field, "10" at creation
    QLabel* StaticText1;  // "Поиск FTP сервера будет  от " -> label of the first preview
    QLabel* StaticText2;  // red preview of the first candidate: SearchPrefix + Edit1
    QLabel* StaticText3;  // "До"         -> label of the last preview
    QLabel* StaticText4;  // red preview of the last candidate: SearchPrefix + Edit2
    QPushButton* Button2; // "Отмена"     -> cancel: answers srCancel and hides
    QPushButton* Button1; // "Поиск"      -> saves the range to ".inisearch", answers srSearch and hides

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
