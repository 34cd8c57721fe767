// Placeholder while the connection check is not part of the build.
#include "app/TForm1.h"
#include "app/ui/UiLayer.h"

void TForm1::Button1Click() { ui::ShowMessage(QStringLiteral("Проверка связи ещё не готова")); }
bool TForm1::TestConnection(const std::string&) { return false; }
