#pragma once
// The copy job behind "Старт копирования", run for the window that hosts it.

class TCopyHost;

namespace copyjob {

// Checks the input, connects, uploads every source file under its remote path and ends as the copy
// options say; returns when the job has ended. A start while a check or a job holds the FTP client
// says why and does nothing.
void Start(TCopyHost& host);

// "Остановить копирование": a transfer under way is aborted at once; the job ends at its next step,
// the current source kept, without the end steps.
void Stop(TCopyHost& host);

} // namespace copyjob
