#pragma once
// The shared face of the editor's two small dialogs: one edit and one button.

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

struct EntryDialogControls {
    QLineEdit* edit;
    QPushButton* button;
};

// Makes `window` a fixed top-level window titled `caption`, with Edit1 and Button1 (`buttonCaption`).
EntryDialogControls BuildEntryDialog(QWidget& window, const char* objectName, const QString& caption,
                                     const QString& buttonCaption);
