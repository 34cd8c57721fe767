#include "app/TForm1.h"

#include "app/TProgressBar.h"
#include "app/ui/UiLayer.h"
#include "ftp/TIdFTP.h"
#include "shell/TJvTrayIcon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

TForm1* Form1 = nullptr;

namespace {

// The window's own text: the product name, our credit line; the program's base name follows.
const QString kDesignedCaption = QStringLiteral("Ferrylo — загрузка папок и файлов на FTP сервер");
constexpr int kClientWidth = 1073;
constexpr int kClientHeight = 413;

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A control with neither text nor label is announced by its name.
template <typename Widget> Widget* announced(Widget* widget, const char* name) {
    named(widget, name)->setAccessibleName(QString::fromLatin1(name));
    return widget;
}

QLabel* redLabel(QWidget* parent, const char* name) {
    auto* label = announced(new QLabel(parent), name);
    label->setStyleSheet(QStringLiteral("color: red;"));
    return label;
}

} // namespace

TForm1::TForm1(const TStartup& startup) : startup_(startup) {
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    createControls();
    createMenu();
    connectHandlers();
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::createControls() {
    auto* client = named(new QWidget(this), "ClientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    Label1 = named(new QLabel(QStringLiteral("Исходящая папка"), client), "Label1");
    Label1->setGeometry(8, 8, 300, 16);
    Edit1 = named(new QLineEdit(client), "Edit1");
    Edit1->setGeometry(8, 26, 470, 22);
    Label1->setBuddy(Edit1);
    SpeedButton2 = named(new QToolButton(client), "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("..."));
    SpeedButton2->setAccessibleName(QStringLiteral("Выбрать исходящую папку"));
    SpeedButton2->setGeometry(484, 26, 28, 22);

    Label2 = named(new QLabel(QStringLiteral("Исходящий файл"), client), "Label2");
    Label2->setGeometry(8, 56, 300, 16);
    Edit2 = named(new QLineEdit(client), "Edit2");
    Edit2->setGeometry(8, 74, 470, 22);
    Label2->setBuddy(Edit2);
    SpeedButton3 = named(new QToolButton(client), "SpeedButton3");
    SpeedButton3->setText(QStringLiteral("..."));
    SpeedButton3->setAccessibleName(QStringLiteral("Выбрать исходящий файл"));
    SpeedButton3->setGeometry(484, 74, 28, 22);

    Label17 = named(new QLabel(QStringLiteral("размер исходящих файлов"), client), "Label17");
    Label17->setGeometry(8, 106, 170, 16);
    Label18 = redLabel(client, "Label18");
    Label18->setGeometry(184, 106, 200, 16);
    Button5 = named(new QPushButton(QStringLiteral("Сохранить параметры исходящих  файлов"), client), "Button5");
    Button5->setGeometry(8, 128, 304, 26);

    Label5 = named(new QLabel(QStringLiteral("Папка назначения"), client), "Label5");
    Label5->setGeometry(8, 166, 300, 16);
    ComboBox1 = named(new QComboBox(client), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(8, 184, 504, 24);
    Label5->setBuddy(ComboBox1);

    ProgressBar1 = announced(new TProgressBar(client), "ProgressBar1");
    ProgressBar1->setGeometry(8, 222, 504, 20);
    ProgressBar2 = announced(new TProgressBar(client), "ProgressBar2");
    ProgressBar2->setGeometry(8, 248, 504, 20);

    Label6 = named(new QLabel(QStringLiteral("Средняя скорость"), client), "Label6");
    Label6->setGeometry(8, 280, 150, 16);
    Label7 = redLabel(client, "Label7");
    Label7->setGeometry(164, 280, 200, 16);
    Label8 = named(new QLabel(QStringLiteral("Прошло времени"), client), "Label8");
    Label8->setGeometry(8, 302, 150, 16);
    Label9 = redLabel(client, "Label9");
    Label9->setGeometry(164, 302, 200, 16);
    Label10 = named(new QLabel(QStringLiteral("Осталось времени"), client), "Label10");
    Label10->setGeometry(8, 324, 150, 16);
    Label11 = redLabel(client, "Label11");
    Label11->setGeometry(164, 324, 200, 16);
    Label6->setBuddy(Label7);
    Label8->setBuddy(Label9);
    Label10->setBuddy(Label11);

    Button4 = named(new QPushButton(QStringLiteral("Свернуть в tray"), client), "Button4");
    Button4->setGeometry(8, 374, 160, 30);
    Button6 = named(new QPushButton(QStringLiteral("Опции копирования"), client), "Button6");
    Button6->setGeometry(176, 374, 160, 30);
    Button2 = named(new QPushButton(QStringLiteral("Старт копирования"), client), "Button2");
    Button2->setGeometry(344, 374, 168, 30);

    GroupBox1 = named(new QGroupBox(QStringLiteral("FTP"), client), "GroupBox1");
    GroupBox1->setGeometry(528, 8, 537, 148);
    StaticText2 = named(new QLabel(QStringLiteral("IP Адрес FTP сервера"), GroupBox1), "StaticText2");
    StaticText2->setGeometry(12, 26, 156, 16);
    Edit4 = named(new QLineEdit(GroupBox1), "Edit4");
    Edit4->setGeometry(172, 24, 352, 22);
    StaticText2->setBuddy(Edit4);
    Label14 = named(new QLabel(QStringLiteral("login"), GroupBox1), "Label14");
    Label14->setGeometry(12, 56, 156, 16);
    Edit5 = named(new QLineEdit(GroupBox1), "Edit5");
    Edit5->setGeometry(172, 54, 352, 22);
    Label14->setBuddy(Edit5);
    Label4 = named(new QLabel(QStringLiteral("Пароль"), GroupBox1), "Label4");
    Label4->setGeometry(12, 86, 156, 16);
    Edit6 = named(new QLineEdit(GroupBox1), "Edit6");
    Edit6->setGeometry(172, 84, 352, 22);
    Edit6->setEchoMode(QLineEdit::Password);
    Edit6->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // shown as "*"
    Label4->setBuddy(Edit6);
    CheckBox2 = named(new QCheckBox(QStringLiteral("Пассивный режим"), GroupBox1), "CheckBox2");
    CheckBox2->setGeometry(12, 116, 300, 20);
    CheckBox2->setChecked(true);

    Button1 = named(new QPushButton(QStringLiteral("Проверка связи"), client), "Button1");
    Button1->setGeometry(528, 164, 170, 28);
    Button3 = named(new QPushButton(QStringLiteral("Сохранить параметры FTP сервера"), client), "Button3");
    Button3->setGeometry(706, 164, 359, 28);
    Memo1 = announced(new QPlainTextEdit(client), "Memo1");
    Memo1->setGeometry(528, 200, 537, 205);

    IdFTP1 = std::make_unique<TIdFTP>();
    JvTrayIcon1 = new TJvTrayIcon(this);
    JvTrayIcon1->setObjectName(QStringLiteral("JvTrayIcon1"));
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);

    layout()->setSizeConstraint(QLayout::SetFixedSize); // not resizable
}

void TForm1::createMenu() {
    auto item = [this](QMenu* menu, const QString& caption, const char* name) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    N1 = named(menuBar()->addMenu(QStringLiteral("Система")), "N1");
    N2 = item(N1, QStringLiteral("Запускать   эту программу от  имени администратора"), "N2");
    N3 = item(N1, QStringLiteral("Добавить в пункт \"Отправить\" "), "N3");
    N4 = item(N1, QStringLiteral("Отправить ярлык на рабочий стол"), "N4");
    N5 = named(menuBar()->addMenu(QStringLiteral("Сервис")), "N5");
    N6 = item(N5, QStringLiteral("Редактор Папок назначения"), "N6");
    N10 = item(N5, QStringLiteral("Редактор контекстного меню файла (пункт \"Отправить\")"), "N10");
    N7 = named(menuBar()->addMenu(QStringLiteral("Помощь")), "N7");
    N8 = item(N7, QStringLiteral("О программе"), "N8");
    N9 = item(N7, QStringLiteral("Помощь"), "N9");
}

void TForm1::connectHandlers() {
    // Every handler runs as the message loop runs it: an error that escapes is shown, the program goes on.
    auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { ui::RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    on(Button6, &QPushButton::clicked, &TForm1::Button6Click);
    on(CheckBox2, &QCheckBox::clicked, &TForm1::CheckBox2Click);
    on(SpeedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
    on(SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton3Click);
    on(N2, &QAction::triggered, &TForm1::N2Click);
    on(N3, &QAction::triggered, &TForm1::N3Click);
    on(N4, &QAction::triggered, &TForm1::N4Click);
    on(N6, &QAction::triggered, &TForm1::N6Click);
    on(N8, &QAction::triggered, &TForm1::N8Click);
    on(N9, &QAction::triggered, &TForm1::N9Click);
    on(N10, &QAction::triggered, &TForm1::N10Click);
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);

    JvTrayIcon1->OnClick = [this](auto&&...) { ui::RunHandler([this] { JvTrayIcon1Click(); }); };

    IdFTP1->OnWorkBegin = [this](TIdComponent* sender, TWorkMode mode, std::int64_t countMax) {
        IdFTP1WorkBegin(sender, mode, countMax);
    };
    IdFTP1->OnWork = [this](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        IdFTP1Work(sender, mode, count);
    };
    IdFTP1->OnWorkEnd = [this](TIdComponent* sender, TWorkMode mode) { IdFTP1WorkEnd(sender, mode); };
}

void TForm1::AddDestinationItem(const QString& folder) {
    // Adding to an empty list would select the new entry and replace the typed destination.
    const QString typed = ComboBox1->currentText();
    ComboBox1->addItem(folder);
    ComboBox1->setEditText(typed);
}

void TForm1::AppendLog(const std::string& line) {
    Memo1->appendPlainText(QString::fromLocal8Bit(line));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing is immediate: a running transfer is cut off with the process and nothing is saved.
    if (!CopyIdle) {
        const ui::MsgButton answer =
            ui::MessageBox(this, QStringLiteral("Идет копирование , Выходим из программы?"), QStringLiteral("Вопрос"),
                           ui::MsgIcon::Warning, ui::Ok | ui::Cancel, ui::Cancel);
        if (answer == ui::Cancel) {
            event->ignore();
            return;
        }
    }
    event->ignore(); // the window stays as it is until the process ends
    ui::HaltProgram();
}
