#pragma once
// The cipher of the stored password. A 16-bit running key starts at 447; each byte is XORed with
// the key's high byte, then the key advances as (key + enciphered byte) * 20297 + 46153. Feeding
// the enciphered byte in both directions makes decipher(encipher(p)) == p. Both keep the length.
// A stored password holds at most 255 bytes; callers cut the plain text first (CutTo255).

#include <string>

std::string EncryptPassword(const std::string& plain);
std::string DecryptPassword(const std::string& enciphered);
