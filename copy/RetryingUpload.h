#pragma once
// One file of the copy job with its retries: a failure that may pass gets a new connection and
// another try after each of the state's waits, resumed where the server's copy ends when it can be.

#include <string>

class TCopyHost;
struct TCopyState;

namespace copyjob {

enum class TFileOutcome { Stored, Failed, Stopped };

// Needs a connection in place (or tries to make one, as the first attempt always has).
TFileOutcome UploadWithRetries(TCopyHost& host, const std::string& item, const std::string& remote);

// Waits `ms` with the window alive (the loop turns as in every network wait); false when
// "Остановить копирование" cut it short.
bool WaitUnlessStopped(const TCopyState& state, int ms);

} // namespace copyjob
