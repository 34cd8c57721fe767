#pragma once
// The connection check: can the configured server be reached with the entered login? If not, the
// user may search the neighbouring addresses for one.

#include "settings/FtpsFile.h"
#include "settings/ServerLogin.h"

#include <QString>
#include <string>

class TReachHost;

namespace reach {

// One probe: where it connects, what name the certificate must carry, and as whom it logs in.
struct TProbe {
    std::string Address;    // "host" or "host:port"
    std::string ServerName; // the server as typed; empty: the address
    std::string Login;
    std::string Password; // plain
};

// The whole check, as "Проверка связи" runs it; returns when it and any search have ended.
void RunCheck(TReachHost& host);

// The probe of the check and of every search candidate: hides the program in the tray, closes an
// earlier connection (its failure is raised, with the program back), connects and logs in as `probe` says, and
// comes back. True when logged in; the connection is then left to the caller. TLS is asked for when ticked or when
// `remembered` holds a certificate for the server (the client's verifier decides). A failed TLS step is logged;
// its text is also put in `tlsFailure` when given. A refusal is logged with the server's reply; when it asks a
// connection in clear for encryption, `tlsFailure` gets the text that says where to switch it on.
bool TestConnection(TReachHost& host, const TProbe& probe, const TFtpsFile& remembered, QString* tlsFailure = nullptr);

// Ends the probe's connection (its goodbye waits for the server, bounded) off the window's thread; quiet.
void LeaveProbedServer(TReachHost& host);

} // namespace reach
