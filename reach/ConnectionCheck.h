#pragma once
// The connection check: can the configured server be reached with the entered login? If not, the
// user may search the neighbouring addresses for one.

#include "settings/FtpsFile.h"

#include <QString>
#include <string>

class TReachHost;

namespace reach {

// The whole check, as "Проверка связи" runs it; returns when it and any search have ended.
void RunCheck(TReachHost& host);

// The probe of the check and of every search candidate: hides the program in the tray, closes an
// earlier connection (its failure is raised, with the program back), connects and logs in to
// `address`, and comes back. True when logged in; the connection is then left to the caller. TLS is asked for when
// ticked or when `remembered` holds a certificate for the server (the client's verifier decides). With encryption on,
// the certificate must carry `serverName` (empty: the address), and a failed TLS step is logged; its text is
// also put in `tlsFailure` when given. A refusal is logged with the server's reply; when it asks a connection in
// clear for encryption, `tlsFailure` gets the text that says where to switch it on.
bool TestConnection(TReachHost& host, const std::string& address, const TFtpsFile& remembered,
                    const std::string& serverName = {}, QString* tlsFailure = nullptr);

} // namespace reach
