// Ferrylo's entry: the toolkit, the seven windows in their fixed order, then the message loop.
#include "app/FormSet.h"
#include "ui/ToolkitTranslation.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ferrylo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ferrylo.png")));
    ui::LoadToolkitTranslation(application);

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    FormSet forms(TStartup{QApplication::applicationFilePath(), arguments});
    forms.main().show();
    return QApplication::exec();
}
