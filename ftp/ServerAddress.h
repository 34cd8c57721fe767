#pragma once
// The server as the user types it: a name or address, optionally followed by ":" and a port.

#include <optional>
#include <string>

struct TServerAddress {
    std::string Host;
    int Port = 0;
};

// "host" gives the host on `defaultPort`; "host:2121" the host on 2121. Nothing when the text after
// the last ":" is not a port (1..65535 in decimal digits) or no host stands before it.
std::optional<TServerAddress> ParseServerAddress(const std::string& text, int defaultPort);

// The host with ":port" when `text` named a port; the search puts each candidate on that port.
std::string WithTypedPort(const std::string& host, const std::string& text);
