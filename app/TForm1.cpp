#include "app/TForm1.h"

#include "ftp/TIdFTP.h"
#include "keyring/SystemKeyring.h"
#include "shell/TJvTrayIcon.h"
#include "ui/FormBuilder.h"
#include "ui/TLogView.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

TForm1* Form1 = nullptr;

namespace {

// The window's own text: the product name, our credit line; the program's base name follows.
const QString kDesignedCaption = QStringLiteral("Ferrylo — загрузка папок и файлов на FTP сервер");
constexpr int kClientWidth = 1073;
constexpr int kClientHeight = 413;

QToolButton* browseButton(QWidget* parent, const char* name, const QString& announcedAs, const QRect& geometry) {
    auto* button = ui::Place(new QToolButton(parent), name, geometry);
    button->setText(QStringLiteral("..."));
    button->setAccessibleName(announcedAs);
    return button;
}

} // namespace

TForm1::TForm1(const TStartup& startup)
    : startup_(startup), passwords_(startup.passwords ? startup.passwords : std::make_shared<TSystemKeyring>()) {
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
    using ui::Place;
    using ui::PlaceAnnounced;
    using ui::PlaceLabel;
    using ui::PlaceValueLabel;
    auto* client = Place(new QWidget(this), "ClientArea", QRect(0, 0, kClientWidth, kClientHeight));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    Edit1 = Place(new QLineEdit(client), "Edit1", {8, 26, 470, 22});
    Label1 = PlaceLabel(client, "Label1", QStringLiteral("Исходящая папка"), {8, 8, 300, 16}, Edit1);
    SpeedButton2 = browseButton(client, "SpeedButton2", QStringLiteral("Выбрать исходящую папку"), {484, 26, 28, 22});
    Edit2 = Place(new QLineEdit(client), "Edit2", {8, 74, 470, 22});
    Label2 = PlaceLabel(client, "Label2", QStringLiteral("Исходящий файл"), {8, 56, 300, 16}, Edit2);
    SpeedButton3 = browseButton(client, "SpeedButton3", QStringLiteral("Выбрать исходящий файл"), {484, 74, 28, 22});
    Label18 = PlaceValueLabel(client, "Label18", QStringLiteral("Размер исходящих файлов"), {184, 106, 200, 16});
    Label17 = PlaceLabel(client, "Label17", QStringLiteral("размер исходящих файлов"), {8, 106, 170, 16}, Label18);
    Button5 = Place(new QPushButton(QStringLiteral("Сохранить параметры исходящих  файлов"), client), "Button5",
                    {8, 128, 304, 26});

    ComboBox1 = Place(new QComboBox(client), "ComboBox1", {8, 184, 504, 24});
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    Label5 = PlaceLabel(client, "Label5", QStringLiteral("Папка назначения"), {8, 166, 300, 16}, ComboBox1);

    ProgressBar1 =
        PlaceAnnounced(new TProgressBar(client), "ProgressBar1", QStringLiteral("Прогресс файла"), {8, 222, 504, 20});
    ProgressBar2 =
        PlaceAnnounced(new TProgressBar(client), "ProgressBar2", QStringLiteral("Общий прогресс"), {8, 248, 504, 20});
    Label7 = PlaceValueLabel(client, "Label7", QStringLiteral("Средняя скорость"), {164, 280, 200, 16});
    Label6 = PlaceLabel(client, "Label6", QStringLiteral("Средняя скорость"), {8, 280, 150, 16}, Label7);
    Label9 = PlaceValueLabel(client, "Label9", QStringLiteral("Прошло времени"), {164, 302, 200, 16});
    Label8 = PlaceLabel(client, "Label8", QStringLiteral("Прошло времени"), {8, 302, 150, 16}, Label9);
    Label11 = PlaceValueLabel(client, "Label11", QStringLiteral("Осталось времени"), {164, 324, 200, 16});
    Label10 = PlaceLabel(client, "Label10", QStringLiteral("Осталось времени"), {8, 324, 150, 16}, Label11);

    Button4 = Place(new QPushButton(QStringLiteral("Свернуть в tray"), client), "Button4", {8, 374, 160, 30});
    Button6 = Place(new QPushButton(QStringLiteral("Опции копирования"), client), "Button6", {176, 374, 160, 30});
    Button2 = Place(new QPushButton(QStringLiteral("Старт копирования"), client), "Button2", {344, 374, 168, 30});

    GroupBox1 = Place(new QGroupBox(QStringLiteral("FTP"), client), "GroupBox1", {528, 8, 537, 170});
    Edit4 = Place(new QLineEdit(GroupBox1), "Edit4", {172, 24, 352, 22});
    StaticText2 =
        PlaceLabel(GroupBox1, "StaticText2", QStringLiteral("IP Адрес FTP сервера"), {12, 26, 156, 16}, Edit4);
    Edit5 = Place(new QLineEdit(GroupBox1), "Edit5", {172, 54, 352, 22});
    Label14 = PlaceLabel(GroupBox1, "Label14", QStringLiteral("login"), {12, 56, 156, 16}, Edit5);
    Edit6 = Place(new QLineEdit(GroupBox1), "Edit6", {172, 84, 352, 22});
    Edit6->setEchoMode(QLineEdit::Password);
    Edit6->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // shown as "*"
    Label4 = PlaceLabel(GroupBox1, "Label4", QStringLiteral("Пароль"), {12, 86, 156, 16}, Edit6);
    CheckBox2 = Place(new QCheckBox(QStringLiteral("Пассивный режим"), GroupBox1), "CheckBox2", {12, 116, 300, 20});
    CheckBox2->setChecked(true);
    CheckBox3 = Place(new QCheckBox(QStringLiteral("Шифрование (FTPS)"), GroupBox1), "CheckBox3", {12, 140, 250, 20});
    CheckBox4 =
        Place(new QCheckBox(QStringLiteral("Протокол SFTP (SSH)"), GroupBox1), "CheckBox4", {272, 140, 252, 20});

    Button1 = Place(new QPushButton(QStringLiteral("Проверка связи"), client), "Button1", {528, 186, 170, 28});
    Button3 = Place(new QPushButton(QStringLiteral("Сохранить параметры FTP сервера"), client), "Button3",
                    {706, 186, 359, 28});
    Memo1 = PlaceAnnounced(new TLogView(client), "Memo1", QStringLiteral("Журнал"), {528, 222, 537, 183});

    IdFTP1 = std::make_unique<TIdFTP>();
    JvTrayIcon1 = new TJvTrayIcon(this);
    JvTrayIcon1->setObjectName(QStringLiteral("JvTrayIcon1"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    layout()->setSizeConstraint(QLayout::SetFixedSize); // not resizable
}

void TForm1::createMenu() {
    auto menu = [this](const QString& caption, const char* name) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto item = [this](QMenu* menu, const QString& caption, const char* name) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    N1 = menu(QStringLiteral("Система"), "N1");
    N2 = item(N1, QStringLiteral("Запускать   эту программу от  имени администратора"), "N2");
    N3 = item(N1, QStringLiteral("Добавить в пункт \"Отправить\" "), "N3");
    N4 = item(N1, QStringLiteral("Отправить ярлык на рабочий стол"), "N4");
    N5 = menu(QStringLiteral("Сервис"), "N5");
    N6 = item(N5, QStringLiteral("Редактор Папок назначения"), "N6");
    N10 = item(N5, QStringLiteral("Редактор контекстного меню файла (пункт \"Отправить\")"), "N10");
    N11 = item(N5, QStringLiteral("Остановить копирование"), "N11");
    N11->setShortcut(QKeySequence(Qt::Key_Escape)); // works only while enabled, that is while a job uploads
    N11->setEnabled(false);
    N7 = menu(QStringLiteral("Помощь"), "N7");
    N8 = item(N7, QStringLiteral("О программе"), "N8");
    N9 = item(N7, QStringLiteral("Помощь"), "N9");
}

void TForm1::connectHandlers() {
    // Every handler runs as the message loop runs it: an error that escapes is shown, the program goes on.
    auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        ui::OnSignal(sender, signal, this, handler);
    };
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    on(Button6, &QPushButton::clicked, &TForm1::Button6Click);
    on(CheckBox2, &QCheckBox::clicked, &TForm1::CheckBox2Click);
    on(CheckBox3, &QCheckBox::clicked, &TForm1::CheckBox3Click);
    on(CheckBox4, &QCheckBox::clicked, &TForm1::CheckBox4Click);
    on(Edit4, &QLineEdit::textEdited, &TForm1::Edit4Edited);
    on(SpeedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
    on(SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton3Click);
    on(N2, &QAction::triggered, &TForm1::N2Click);
    on(N3, &QAction::triggered, &TForm1::N3Click);
    on(N4, &QAction::triggered, &TForm1::N4Click);
    on(N6, &QAction::triggered, &TForm1::N6Click);
    on(N8, &QAction::triggered, &TForm1::N8Click);
    on(N9, &QAction::triggered, &TForm1::N9Click);
    on(N10, &QAction::triggered, &TForm1::N10Click);
    on(N11, &QAction::triggered, &TForm1::N11Click);
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);

    JvTrayIcon1->OnClick = [this](auto&&...) { ui::RunHandler([this] { JvTrayIcon1Click(); }); };
}

void TForm1::AddDestinationItem(const QString& folder) {
    // Adding to an empty list would select the new entry and replace the typed destination.
    const QString typed = ComboBox1->currentText();
    ComboBox1->addItem(folder);
    ComboBox1->setEditText(typed);
}

void TForm1::AppendLog(const QString& line) {
    Memo1->appendPlainText(line);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing is immediate: a running transfer is cut off with the process and nothing is saved.
    if (!copyState_.CopyIdle) {
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
