#include "dialogs/EntryDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

EntryDialogControls BuildEntryDialog(QWidget& window, const char* objectName, const QString& caption,
                                     const QString& buttonCaption) {
    window.setObjectName(QString::fromLatin1(objectName));
    window.setWindowTitle(caption);
    window.setFixedSize(360, 92);

    auto* edit = new QLineEdit(&window);
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->setAccessibleName(QStringLiteral("Папка назначения"));
    edit->setGeometry(12, 12, 336, 26);

    auto* button = new QPushButton(buttonCaption, &window);
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry(228, 50, 120, 30);
    return {edit, button};
}
