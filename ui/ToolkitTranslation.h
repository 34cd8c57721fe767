#pragma once
// The toolkit's own texts (standard buttons, the folder and file pickers) in Russian, like every
// text of the program, whatever the system's locale says.

#include <QString>

class QCoreApplication;

namespace ui {

// Where the toolkit's Russian texts came from.
enum class TToolkitTranslation {
    None,    // nowhere: the toolkit's texts stay English and nothing else changes
    System,  // the system's file, kept up to date with the toolkit
    BuiltIn, // the copy built into the program: the static Windows program has no translations folder
};

// Installs the toolkit's Russian translation into `application`: the system's file when there is one, else the
// copy built into the program.
TToolkitTranslation LoadToolkitTranslation(QCoreApplication& application);

// The same with the system's translations looked for in `systemFolder`.
TToolkitTranslation LoadToolkitTranslation(QCoreApplication& application, const QString& systemFolder);

} // namespace ui
