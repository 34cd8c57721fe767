#pragma once
// The toolkit's own texts (standard buttons, the folder and file pickers) in Russian, like every
// text of the program, whatever the system's locale says.

class QCoreApplication;

namespace ui {

// Installs the toolkit's Russian translation into `application`. False when the translation file is
// not on this machine; the toolkit's texts then stay English and nothing else changes.
bool LoadToolkitTranslation(QCoreApplication& application);

} // namespace ui
