// The pure parsers that read bytes from outside: the 227 text a server sends and the masks and names of files.

#include "fuzz/FuzzEntries.h"

#include "ftp/PassiveReply.h"
#include "util/MaskMatch.h"

#include <string>
#include <string_view>

namespace fuzz {

namespace {

bool IsByteField(const std::string& field) {
    try {
        const int value = ParseDecimalInteger(field);
        return value >= 0 && value <= 255 && field == std::to_string(value);
    } catch (const EConvertError&) {
        return false;
    }
}

// A sound endpoint written into a PORT line must read back as the same endpoint: the two texts share one format.
void CheckPortLineReadsBack(const TPassiveEndpoint& endpoint) {
    if (endpoint.Port < 0 || endpoint.Port > 65535)
        return;
    std::string rest = endpoint.Address + ".";
    for (int i = 0; i < 4; ++i) {
        const auto dot = rest.find('.');
        if (dot == std::string::npos || !IsByteField(rest.substr(0, dot)))
            return;
        rest.erase(0, dot + 1);
    }
    if (!rest.empty())
        return;
    const std::string line = BuildPortCommand(endpoint.Address, endpoint.Port);
    const TPassiveEndpoint back = ParsePassiveReply(line);
    if (back.Address != endpoint.Address || back.Port != endpoint.Port)
        throw FuzzFinding("\"" + line + "\" does not read back as the endpoint it was built from");
}

std::string FlipLatinCase(std::string_view text) {
    std::string flipped(text);
    for (char& c : flipped) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            c = static_cast<char>(c ^ 0x20);
    }
    return flipped;
}

} // namespace

void PassiveReply(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TPassiveEndpoint endpoint;
    try {
        endpoint = ParsePassiveReply(text);
    } catch (const EConvertError&) {
        return; // a port field that is no number: reported to the user as such
    }
    CheckPortLineReadsBack(endpoint);
}

void MaskMatch(const uint8_t* data, size_t size) {
    if (size < 1)
        return;
    const size_t maskLength = std::min<size_t>(data[0], size - 1);
    const std::string_view mask(reinterpret_cast<const char*>(data + 1), maskLength);
    const std::string_view name(reinterpret_cast<const char*>(data + 1 + maskLength), size - 1 - maskLength);
    try {
        const TMask parsed(mask);
        // Letters match regardless of case: flipping the case of the name's Latin letters changes nothing.
        if (parsed.Matches(name) != parsed.Matches(FlipLatinCase(name)))
            throw FuzzFinding("a mask matched a name and not the same name in other letter case");
    } catch (const EMaskException&) {
        // An unreadable mask is reported to the user with its position.
    }
    // "*" takes every name.
    if (!MaskMatches("*", name))
        throw FuzzFinding("\"*\" did not match a name");
}

} // namespace fuzz
