#pragma once
// "Проверка связи" with "Протокол SFTP (SSH)" ticked: the SSH connection, its host key and the log-in, as a job's
// first connection makes them, off the window's thread. The host key question comes with the window in sight.

#include "settings/ServerLogin.h"

class TReachHost;

namespace reach {

// True when the server let us in; the log says how, or why not. False at once where the build has no SFTP.
bool CheckSftp(TReachHost& host, const TServerLogin& typed, bool* hostKeyRefused);

// One candidate of the server search: only a server whose host key the known hosts hold, and that lets us in,
// passes; nothing is asked.
bool ProbeSftp(TReachHost& host, const TServerLogin& candidate);

} // namespace reach
