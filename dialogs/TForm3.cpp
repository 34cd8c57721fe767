#include "dialogs/TForm3.h"

#include "dialogs/ListItems.h"
#include "dialogs/TForm4.h"
#include "dialogs/TForm5.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "ui/FormBuilder.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

TForm3* Form3 = nullptr;

TForm3::TForm3(QComboBox* destinationBox, QWidget* parent) : QWidget(parent, Qt::Window) {
    createControls();
    connectHandlers();
    setDestinationBox(destinationBox);
}

void TForm3::createControls() {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Редактор путей"));
    setFixedSize(480, 330);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Папки назначения"));
    ListBox1->setGeometry(8, 8, 280, 314);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    N1 = item("N1", QStringLiteral("Создать "));
    N2 = item("N2", QStringLiteral("Изменить"));
    N3 = item("N3", QStringLiteral("Удалить"));

    const auto button = [this](const char* name, const QString& caption, int top) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(300, top, 172, 30);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Добавить"), 8);
    Button2 = button("Button2", QStringLiteral("Удалить"), 46);
    Button4 = button("Button4", QStringLiteral("Изменить"), 84);
    Button5 = button("Button5", QStringLiteral("Вверх"), 140);
    Button6 = button("Button6", QStringLiteral("Вниз"), 178);
    Button3 = button("Button3", QStringLiteral("Сохранить изменения"), 292);
}

void TForm3::connectHandlers() {
    const auto onClick = [this](QPushButton* b, void (TForm3::*handler)()) {
        ui::OnSignal(b, &QPushButton::clicked, this, handler);
    };
    onClick(Button1, &TForm3::Button1Click);
    onClick(Button2, &TForm3::Button2Click);
    onClick(Button3, &TForm3::Button3Click);
    onClick(Button4, &TForm3::Button4Click);
    onClick(Button5, &TForm3::Button5Click);
    onClick(Button6, &TForm3::Button6Click);
    const auto onTrigger = [this](QAction* a, void (TForm3::*handler)()) {
        ui::OnSignal(a, &QAction::triggered, this, handler);
    };
    onTrigger(N1, &TForm3::N1Click);
    onTrigger(N2, &TForm3::N2Click);
    onTrigger(N3, &TForm3::N3Click);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });
}

void TForm3::setDestinationBox(QComboBox* box) {
    destinationBox_ = box;
}

void TForm3::setEntryDialogs(TForm4& add, TForm5& change) {
    addDialog_ = &add;
    changeDialog_ = &change;
}

void TForm3::setPathList(std::vector<std::string>* list) {
    pathList_ = list ? list : &ownPathList_;
}

void TForm3::Open() {
    pathList_->clear();
    ListBox1->clear();
    *pathList_ = ReadTextLines(SettingsFile(PathSuffix));
    AppendLines(*ListBox1, *pathList_);
}

void TForm3::addEntry() {
    if (!addDialog_)
        return;
    addDialog_->Edit1->clear();
    addDialog_->show();
    addDialog_->raise();
}

// At once and without a question; the selection goes with the entry, so a second press does
// not take the neighbour too.
void TForm3::deleteEntry() {
    const int row = SelectedRow(*ListBox1);
    if (row < 0)
        return;
    delete ListBox1->takeItem(row);
    ListBox1->setCurrentRow(-1);
}

void TForm3::changeEntry() {
    const int row = SelectedRow(*ListBox1);
    if (row < 0 || !changeDialog_)
        return;
    changeDialog_->Edit1->setText(ListBox1->item(row)->text());
    changeDialog_->show();
    changeDialog_->raise();
}

void TForm3::Button1Click() {
    addEntry();
}
void TForm3::N1Click() {
    addEntry();
}
void TForm3::Button2Click() {
    deleteEntry();
}
void TForm3::N2Click() {
    deleteEntry();
}
void TForm3::Button4Click() {
    changeEntry();
}
void TForm3::N3Click() {
    changeEntry();
}

// The selection stays on its row, which now holds the other entry: a second press undoes the
// move. The first entry has no row above it: the list reports row -1 and stays as it was.
void TForm3::Button5Click() {
    const int row = SelectedRow(*ListBox1);
    if (row >= 0)
        ExchangeItems(*ListBox1, row, row - 1);
}

void TForm3::Button6Click() {
    const int row = SelectedRow(*ListBox1);
    if (row >= 0)
        ExchangeItems(*ListBox1, row, row + 1);
}

// The file first: when it cannot be written the save stops there, and neither the main window
// nor the user is told that anything was saved.
void TForm3::Button3Click() {
    *pathList_ = ItemLines(*ListBox1);
    WriteTextLines(SettingsFile(PathSuffix), *pathList_);
    if (destinationBox_) {
        const QString typed = destinationBox_->currentText();
        destinationBox_->clear();
        for (const std::string& line : *pathList_)
            destinationBox_->addItem(ui::FromSystemText(line));
        destinationBox_->setEditText(typed);
    }
    ui::ShowMessage(QStringLiteral("сохранено"));
    hide();
}
