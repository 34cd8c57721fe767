#include "dialogs/TForm4.h"

#include "ui/FormBuilder.h"
#include "ui/UiLayer.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/TForm3.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
    const EntryDialogControls controls = BuildEntryDialog(*this, "Form4", "Добавить ", "Добавить");
    Edit1 = controls.edit;
    Button1 = controls.button;
    ui::OnSignal(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    FormCreate();
}

void TForm4::FormCreate() {
    Edit1->clear();
}

// Server folders are absolute: only the add dialog insists on the leading "/".
void TForm4::Button1Click() {
    const QString text = Edit1->text();
    if (text.isEmpty()) {
        ui::ShowMessage("Неизвестное имя папки");
        return;
    }
    if (!text.startsWith('/')) {
        ui::ShowMessage("имя папки  должно начинаться на \"/\"");
        return;
    }
    Form3->ListBox1->addItem(text);
    hide();
}
