// The main window's copy handlers: the start button, the FTP client's work events and the timer
// hand over to the copy job in copy/, with this window as its host.
#include "app/TForm1.h"
#include "copy/CopyConnection.h"
#include "copy/CopyJob.h"
#include "copy/ProgressDisplay.h"

void TForm1::Button2Click() {
    copyjob::Start(*this);
}

bool TForm1::ConnectToServer(const std::string& host) {
    return copyjob::ConnectToServer(*this, host);
}

void TForm1::MakeRemotePath(const std::string& path) {
    copyjob::MakeRemotePath(Ftp(), path);
}

bool TForm1::UploadOne(const std::string& local, const std::string& remote) {
    return copyjob::UploadOne(*this, local, remote);
}

void TForm1::LoadTrayPicture(const std::string& name) {
    copyjob::LoadTrayPicture(*this, name);
}

void TForm1::IdFTP1WorkBegin(TIdComponent*, TWorkMode mode, std::int64_t workCountMax) {
    copyjob::WorkBegin(*this, mode, workCountMax);
}

void TForm1::IdFTP1Work(TIdComponent*, TWorkMode mode, std::int64_t workCount) {
    copyjob::Work(*this, mode, workCount);
}

void TForm1::IdFTP1WorkEnd(TIdComponent*, TWorkMode mode) {
    copyjob::WorkEnd(*this, mode);
}

void TForm1::Timer1Timer() {
    copyjob::Tick(*this);
}

void TForm1::N11Click() {
    copyjob::Stop(*this);
}
