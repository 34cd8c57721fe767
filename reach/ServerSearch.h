#pragma once
// The search for an FTP server over a range of the last address field, offered by the connection
// check when the configured server does not answer.

class TForm7;
class TReachHost;
struct TServerLogin;

namespace reach {

// Shows the search window, waits (pumping messages) until it is answered, then tries the
// candidates in ascending order until the user keeps one or the range is exhausted. Returns when
// the search has ended; the client is left disconnected.
void RunServerSearch(TReachHost& host, TForm7& window, const TServerLogin& typed);

} // namespace reach
