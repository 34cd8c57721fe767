#include "reach/SearchRange.h"

#include "util/TextFields.h"

std::string SearchPrefixOf(const std::string& server) {
    return FieldOf(1, server, '.') + "." + FieldOf(2, server, '.') + "." + FieldOf(3, server, '.') + ".";
}

std::string CandidateAddress(const std::string& prefix, std::int64_t n) {
    return prefix + std::to_string(n);
}

std::string SearchRangeLine(const std::string& first, const std::string& last) {
    return first + "|" + last;
}
