// Placeholder while the copy job is not part of the build.
#include "app/TForm1.h"
#include "app/ui/UiLayer.h"

void TForm1::Button2Click() { ui::ShowMessage(QStringLiteral("Копирование ещё не готово")); }
bool TForm1::ConnectToServer(const std::string&) { return false; }
void TForm1::MakeRemotePath(const std::string&) {}
bool TForm1::UploadOne(const std::string&, const std::string&) { return false; }
void TForm1::LoadTrayPicture(const std::string&) {}
void TForm1::IdFTP1WorkBegin(TIdComponent*, TWorkMode, std::int64_t) {}
void TForm1::IdFTP1Work(TIdComponent*, TWorkMode, std::int64_t) {}
void TForm1::IdFTP1WorkEnd(TIdComponent*, TWorkMode) {}
void TForm1::Timer1Timer() {}
