#pragma once
// The entry functions of the fuzz targets. Each takes arbitrary bytes, drives one reader of hostile input and
// swallows only the failures that reader is allowed to report. Anything else escapes: a broken property raises
// FuzzFinding, and a crash or sanitizer report ends the process. The fuzz targets and the regression tests call
// the same functions, so a saved crashing input replays exactly.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace fuzz {

// A property that must hold for every input did not.
class FuzzFinding : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Reply reading over a scripted byte stream. The first byte picks the line limit and what happens at a too-long
// line, the second the receive buffer size and whether the peer closes after the script; the rest is the script:
// a length byte L, then L bytes as one chunk; L == 0xFF closes the connection there, L == 0xFE makes one receive
// fail (reset, aborted or shut down, chosen by the next byte).
void ReplyStream(const uint8_t* data, size_t size);

// The 227 text as it comes after the code.
void PassiveReply(const uint8_t* data, size_t size);

// The first byte tells how many of the following bytes are the mask; the rest is the name.
void MaskMatch(const uint8_t* data, size_t size);

// The bytes are the whole content of one settings file, read as start-up reads it.
void MyIniFile(const uint8_t* data, size_t size);
void OptionFile(const uint8_t* data, size_t size);
void IniInpFile(const uint8_t* data, size_t size);
void IniSearchFile(const uint8_t* data, size_t size);
void PathFile(const uint8_t* data, size_t size);

} // namespace fuzz
