#include "reach/TForm7.h"

#include "app/settings/Settings.h"
#include "app/settings/TextFiles.h"
#include "app/ui/UiLayer.h"
#include "reach/SearchRange.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm7* Form7 = nullptr;

namespace {

constexpr int kClientWidth = 425;
constexpr int kClientHeight = 118;

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* preview(QWidget* parent, const char* name) {
    auto* label = named(new QLabel(parent), name);
    label->setAccessibleName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("color: red;"));
    return label;
}

std::string bytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace

TForm7::TForm7() {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Поиск FTP сервера"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    createControls();
    connectHandlers();
    FormCreate();
}

TForm7::~TForm7() {
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::createControls() {
    setFixedSize(kClientWidth, kClientHeight);

    StaticText5 = named(new QLabel(QStringLiteral("Поиск от "), this), "StaticText5");
    StaticText5->setGeometry(12, 14, 70, 18);
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setGeometry(84, 12, 70, 22);
    StaticText5->setBuddy(Edit1);
    StaticText6 = named(new QLabel(QStringLiteral("Поиск до"), this), "StaticText6");
    StaticText6->setGeometry(180, 14, 70, 18);
    Edit2 = named(new QLineEdit(this), "Edit2");
    Edit2->setGeometry(252, 12, 70, 22);
    StaticText6->setBuddy(Edit2);

    StaticText1 = named(new QLabel(QStringLiteral("Поиск FTP сервера будет  от "), this), "StaticText1");
    StaticText1->setGeometry(12, 48, 190, 18);
    StaticText2 = preview(this, "StaticText2");
    StaticText2->setGeometry(204, 48, 95, 18);
    StaticText3 = named(new QLabel(QStringLiteral("До"), this), "StaticText3");
    StaticText3->setGeometry(302, 48, 24, 18);
    StaticText4 = preview(this, "StaticText4");
    StaticText4->setGeometry(328, 48, 95, 18);

    Button2 = named(new QPushButton(QStringLiteral("Отмена"), this), "Button2");
    Button2->setGeometry(12, 80, 120, 28);
    Button1 = named(new QPushButton(QStringLiteral("Поиск"), this), "Button1");
    Button1->setGeometry(293, 80, 120, 28);
    Button1->setDefault(true);
}

void TForm7::connectHandlers() {
    auto on = [this](auto* sender, auto signal, void (TForm7::*handler)()) {
        connect(sender, signal, this, [this, handler] { ui::RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(Edit1, &QLineEdit::textChanged, &TForm7::Edit1Change);
    on(Edit2, &QLineEdit::textChanged, &TForm7::Edit2Change);
    on(Button1, &QPushButton::clicked, &TForm7::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm7::Button2Click);
}

void TForm7::FormCreate() {
    Edit1->setText(QStringLiteral("1"));
    Edit2->setText(QStringLiteral("10"));
}

void TForm7::Edit1Change() {
    StaticText2->setText(QString::fromLocal8Bit(SearchPrefix) + Edit1->text());
}

void TForm7::Edit2Change() {
    StaticText4->setText(QString::fromLocal8Bit(SearchPrefix) + Edit2->text());
}

void TForm7::Button1Click() {
    const std::string line = SearchRangeLine(bytes(Edit1->text()), bytes(Edit2->text()));
    if (!WriteSingleLine(SettingsFile(IniSearchSuffix), line))
        ui::ShowMessage(QStringLiteral("Ошибка 70"));
    SearchRequest = srSearch;
    hide();
}

void TForm7::Button2Click() {
    SearchRequest = srCancel;
    hide();
}

void TForm7::closeEvent(QCloseEvent* event) {
    if (SearchRequest == srNotAnswered)
        SearchRequest = srCancel;
    event->accept();
}
