// Placeholder while the shell commands are not part of the build.
#include "app/TForm1.h"

void TForm1::SpeedButton2Click() {}
void TForm1::SpeedButton3Click() {}
void TForm1::Button4Click() {}
void TForm1::JvTrayIcon1Click() {}
void TForm1::N2Click() {}
void TForm1::N3Click() {}
void TForm1::N4Click() {}
void TForm1::N6Click() {}
void TForm1::N8Click() {}
void TForm1::N9Click() {}
void TForm1::N10Click() {}
