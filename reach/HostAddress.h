#pragma once
// Turning the server field into the address that the connection check tries and logs.

#include <string>

// True when every character is a decimal digit or a dot; the empty text counts as dotted.
// Neither the parts nor their values are checked: "1..2" and "300.1.1.1" count as dotted.
bool IsDottedAddress(const std::string& text);

// A dotted text comes back unchanged without any look-up; any other name is looked up as IPv4
// and its first address is returned as "a.b.c.d". Empty when the name does not resolve.
std::string HostToAddress(const std::string& name);

// The server as typed ("host" or "host:port"): its host turned into an address as above, the port
// kept as typed, so the check tries and logs "a.b.c.d:port".
std::string ServerToAddress(const std::string& server);
