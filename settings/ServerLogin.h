#pragma once
// Where and as whom a connection logs in, as the window's fields give it: the value the copy job, the check and
// the search take instead of reading the settings the windows show.

#include <string>

struct TServerLogin {
    std::string Server; // as typed: "host" or "host:port"
    std::string Login;
    std::string Password; // plain
};
