#pragma once
// The pure rules of the server search: which addresses it tries and how its range is stored.

#include <cstdint>
#include <string>

// The first three dot-separated fields of the server text as entered, each followed by ".":
// "192.168.1.20" gives "192.168.1."; missing fields stay empty ("host" gives "host...").
std::string SearchPrefixOf(const std::string& server);

// The prefix followed by n in decimal, with a minus sign when negative and no leading zeros.
std::string CandidateAddress(const std::string& prefix, std::int64_t n);

// The ".inisearch" line: first value, "|", last value.
std::string SearchRangeLine(const std::string& first, const std::string& last);
