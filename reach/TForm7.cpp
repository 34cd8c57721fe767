#include "reach/TForm7.h"

#include "reach/SearchRange.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/FormBuilder.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm7* Form7 = nullptr;

namespace {

constexpr int kClientWidth = 425;
constexpr int kClientHeight = 118;

} // namespace

TForm7::TForm7(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Поиск FTP сервера"));
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

    using ui::Place;
    using ui::PlaceLabel;
    Edit1 = Place(new QLineEdit(this), "Edit1", {84, 12, 70, 22});
    StaticText5 = PlaceLabel(this, "StaticText5", QStringLiteral("Поиск от "), {12, 14, 70, 18}, Edit1);
    Edit2 = Place(new QLineEdit(this), "Edit2", {252, 12, 70, 22});
    StaticText6 = PlaceLabel(this, "StaticText6", QStringLiteral("Поиск до"), {180, 14, 70, 18}, Edit2);

    // The previews of the first and the last candidate, in red.
    StaticText2 = ui::PlaceValueLabel(this, "StaticText2", QStringLiteral("Первый адрес поиска"), {204, 48, 95, 18});
    StaticText1 =
        PlaceLabel(this, "StaticText1", QStringLiteral("Поиск FTP сервера будет  от "), {12, 48, 190, 18}, StaticText2);
    StaticText4 = ui::PlaceValueLabel(this, "StaticText4", QStringLiteral("Последний адрес поиска"), {328, 48, 95, 18});
    StaticText3 = PlaceLabel(this, "StaticText3", QStringLiteral("До"), {302, 48, 24, 18}, StaticText4);

    Button2 = Place(new QPushButton(QStringLiteral("Отмена"), this), "Button2", {12, 80, 120, 28});
    Button1 = Place(new QPushButton(QStringLiteral("Поиск"), this), "Button1", {293, 80, 120, 28});
    Button1->setDefault(true);
}

void TForm7::connectHandlers() {
    auto on = [this](auto* sender, auto signal, void (TForm7::*handler)()) {
        ui::OnSignal(sender, signal, this, handler);
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
    StaticText2->setText(ui::FromSystemText(SearchPrefix) + Edit1->text());
}

void TForm7::Edit2Change() {
    StaticText4->setText(ui::FromSystemText(SearchPrefix) + Edit2->text());
}

void TForm7::Button1Click() {
    const std::string line = SearchRangeLine(ui::ToSystemText(Edit1->text()), ui::ToSystemText(Edit2->text()));
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
