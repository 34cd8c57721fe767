#include "dialogs/TForm5.h"

#include "dialogs/EntryDialog.h"
#include "dialogs/ListItems.h"
#include "ui/FormBuilder.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TForm5* Form5 = nullptr;

TForm5::TForm5(QListWidget& list, QWidget* parent) : QWidget(parent, Qt::Window), list_(list) {
    const EntryDialogControls controls =
        BuildEntryDialog(*this, "Form5", QStringLiteral("Изменить"), QStringLiteral("Сохранить"));
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
    SetItemText(list_, SelectedRow(list_), ui::ToSystemText(text));
    hide();
}
