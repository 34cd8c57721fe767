#pragma once
// The connection check: can the configured server be reached with the entered login? If not, the
// user may search the neighbouring addresses for one.

#include <string>

class TReachHost;

namespace reach {

// The whole check, as "Проверка связи" runs it; returns when it and any search have ended.
void RunCheck(TReachHost& host);

// The probe of the check and of every search candidate: hides the program in the tray, closes an
// earlier connection (its failure is raised, with the program back), connects and logs in to
// `address`, and comes back. True when logged in; the connection is then left to the caller.
bool TestConnection(TReachHost& host, const std::string& address);

} // namespace reach
