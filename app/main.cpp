// Ferrylo's entry: the toolkit, the seven windows in their fixed order, then the message loop.
#include "app/FormSet.h"
#include "ui/ToolkitTranslation.h"
#include "util/FreeMemory.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    ShareOneAllocatorPool();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ferrylo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ferrylo.png")));
    ui::LoadToolkitTranslation(application);

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // The toolkit writes '/' on every system; the program's own path rules split at the native separator, so on
    // Windows a "C:/x/ferrylo.exe" would put the settings in the current folder of drive C.
    FormSet forms(TStartup{QDir::toNativeSeparators(QApplication::applicationFilePath()), arguments});
    forms.main().show();
    return QApplication::exec();
}
