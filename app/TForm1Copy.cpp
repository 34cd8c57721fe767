// The main window's copy handlers: the start button, the stop command and the timer hand over to the copy job in
// copy/, with this window as its host.
#include "app/CopyJob.h"
#include "app/ProgressDisplay.h"
#include "app/TForm1.h"

void TForm1::Button2Click() {
    copyjob::Start(*this);
}

void TForm1::Timer1Timer() {
    copyjob::Tick(*this);
}

void TForm1::N11Click() {
    copyjob::Stop(*this);
}
