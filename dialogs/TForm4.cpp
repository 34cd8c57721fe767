#include "dialogs/TForm4.h"

#include "dialogs/EntryDialog.h"
#include "ui/FormBuilder.h"
#include "ui/UiLayer.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TForm4* Form4 = nullptr;

TForm4::TForm4(QListWidget& list, QWidget* parent) : QWidget(parent, Qt::Window), list_(list) {
    const EntryDialogControls controls =
        BuildEntryDialog(*this, "Form4", QStringLiteral("Добавить "), QStringLiteral("Добавить"));
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
        ui::ShowMessage(QStringLiteral("Неизвестное имя папки"));
        return;
    }
    if (!text.startsWith(u'/')) {
        ui::ShowMessage(QStringLiteral("имя папки  должно начинаться на \"/\""));
        return;
    }
    list_.addItem(text);
    hide();
}
