#pragma once
// The two address texts of a data connection, kept apart from any I/O: reading the endpoint out of a 227 reply
// and writing the PORT line that announces our own listener.

#include <stdexcept>
#include <string>

// A text that should be a decimal integer is not: "'<text>' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TPassiveEndpoint {
    std::string Address; // dotted, as the server wrote it without blanks before the digits
    int Port = 0;
    // Every one of the six fields is a plain decimal number of 0..255 (blanks before it, no sign). A reply that
    // fails this names no address a client may use.
    bool FieldsInRange = false;
};

// `textLine` is the first text line of a 227 reply (after the code). Between the first "(" and the first ")"
// when the line holds both, else after its last blank, six comma-separated fields: four joined with "." give
// the address, the fifth * 256 + the sixth the port. A bad port field raises EConvertError.
TPassiveEndpoint ParsePassiveReply(const std::string& textLine);

// "PORT h1,h2,h3,h4,p1,p2" for a dotted local address and port, numbers in decimal without leading zeros.
std::string BuildPortCommand(const std::string& dottedAddress, int port);

// Decimal integer with optional leading blanks and sign, nothing after it; EConvertError otherwise.
int ParseDecimalInteger(const std::string& text);
