#include "dialogs/TForm5.h"

#include "ui/FormBuilder.h"
#include "ui/UiLayer.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/ListItems.h"
#include "dialogs/TForm3.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
    const EntryDialogControls controls = BuildEntryDialog(*this, "Form5", "Изменить", "Сохранить");
    Edit1 = controls.edit;
    Button1 = controls.button;
    ui::OnSignal(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    FormCreate();
}

void TForm5::FormCreate() {
    Edit1->clear();
}

void TForm5::Button1Click() {
    const QString text = Edit1->text();
    if (text.isEmpty())
        return;
    SetItemText(*Form3->ListBox1, SelectedRow(*Form3->ListBox1), text.toLocal8Bit().toStdString());
    hide();
}
