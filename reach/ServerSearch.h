#pragma once
// The search for an FTP server over a range of the last address field, offered by the connection
// check when the configured server does not answer.

class TForm1;
class TForm7;
class TIdFTP;

// Shows the search window, waits (pumping messages) until it is answered, then tries the
// candidates in ascending order until the user keeps one or the range is exhausted. Returns when
// the search has ended; the client is left disconnected.
void RunServerSearch(TForm1& main, TForm7& window);

// Closes the client's connection if one is open, dropping any error: used where the check or the
// search is done with the server.
void LeaveServerQuietly(TIdFTP& ftp);
