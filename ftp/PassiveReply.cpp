#include "ftp/PassiveReply.h"

#include "ftp/TIdRFCReply.h"

#include <algorithm>
#include <climits>

namespace {

// Takes the text before the first comma off the front of `rest` (all of it when there is none).
std::string TakeField(std::string& rest) {
    const auto comma = rest.find(',');
    std::string field = rest.substr(0, comma);
    rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    return field;
}

// The decimal conversion skips blanks before the digits, so "(127, 0, 0, 1, 156, 145)" names a usable
// endpoint too; nothing else beyond the digits is allowed.
std::string WithoutLeadingBlanks(const std::string& field) {
    const auto first = field.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : field.substr(first);
}

bool IsByteField(const std::string& field) {
    if (field.empty() || field.size() > 3)
        return false;
    for (char c : field)
        if (c < '0' || c > '9')
            return false;
    return std::stoi(field) <= 255;
}

} // namespace

int ParseDecimalInteger(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const std::size_t firstDigit = at;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (at == firstDigit || at != text.size() || value > INT_MAX || value < INT_MIN)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<int>(value);
}

TPassiveEndpoint ParsePassiveReply(const std::string& textLine) {
    const std::string line = TrimBlanks(textLine);
    std::string fields;
    const auto open = line.find('(');
    const auto close = line.find(')');
    if (open != std::string::npos && close != std::string::npos) {
        // A ")" before the "(" leaves nothing between them.
        fields = close > open ? line.substr(open + 1, close - open - 1) : std::string();
    } else {
        const auto blank = line.rfind(' ');
        fields = blank == std::string::npos ? line : line.substr(blank + 1);
    }

    TPassiveEndpoint endpoint;
    bool inRange = true;
    for (int i = 0; i < 4; ++i) {
        const std::string field = WithoutLeadingBlanks(TakeField(fields));
        inRange = inRange && IsByteField(field);
        endpoint.Address += (i ? "." : "") + field;
    }
    const std::string highField = TakeField(fields);
    const std::string lowField = TakeField(fields);
    endpoint.FieldsInRange =
        inRange && IsByteField(WithoutLeadingBlanks(highField)) && IsByteField(WithoutLeadingBlanks(lowField));
    const int high = ParseDecimalInteger(highField);
    const int low = ParseDecimalInteger(lowField);
    // Computed wide: absurd fields must not overflow; the caller rejects a port outside 1..65535.
    const long long port = static_cast<long long>(high) * 256 + low;
    endpoint.Port = static_cast<int>(std::clamp<long long>(port, INT_MIN, INT_MAX));
    return endpoint;
}

std::string BuildPortCommand(const std::string& dottedAddress, int port) {
    std::string hostPart = dottedAddress;
    std::replace(hostPart.begin(), hostPart.end(), '.', ',');
    return "PORT " + hostPart + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}
