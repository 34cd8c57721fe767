#pragma once
// A server reply: its code and its text lines. Filling it from raw lines is pure, so it is tested apart from I/O.

#include <string>
#include <vector>

class TIdRFCReply {
public:
    int NumericCode = 0;           // 0 when the reply had no numeric code
    std::string TextCode;          // the code as written, without a trailing '-'
    std::vector<std::string> Text; // one entry per line, each without its first four characters
    // The lines whole, as read: a FEAT answer's features are whole lines.
    std::vector<std::string> Lines;

    void Clear();
    // Fills from the collected lines of one reply (the first line carries the code).
    void FillFromLines(const std::vector<std::string>& lines);
};

// True once `lines` (as collected so far, at least one) form a whole reply: a single-line reply, or a multi-line
// one ("123-...") whose last line is shorter than four characters or starts with the end mark "123 " in any case.
bool IsReplyComplete(const std::vector<std::string>& lines);

// Removes every byte with a code up to 32 (blanks and control characters) from both ends.
std::string TrimBlanks(const std::string& text);
