#pragma once
// Names on the FTP wire. A server that lists UTF8 in its FEAT answer reads names as UTF-8; any other gets the
// program's 8-bit text as it is. On Windows that text is the ANSI code page and must be converted; on Linux it
// already is UTF-8, so the wire stays as it was and the server need not be asked to switch.

#include <string>

// True where the program's 8-bit text differs from UTF-8 (Windows): only then is a UTF-8 server asked to
// take UTF-8 names (OPTS UTF8 ON) and the names converted.
bool EightBitTextNeedsUtf8Wire();

// `eightBit` as UTF-8 (from the ANSI code page on Windows; the same bytes on Linux).
std::string Utf8FromEightBit(const std::string& eightBit);

// A name the server sent in UTF-8, back in the program's 8-bit text (into the ANSI code page on Windows, where a
// character it lacks becomes '?'; the same bytes on Linux).
std::string EightBitFromUtf8(const std::string& utf8);
