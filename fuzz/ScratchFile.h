#pragma once
// A private temporary folder for the settings entries, made on first use and removed when the process ends, so
// that the file readers run on real files without any fixed path.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Writes the bytes as the whole content of the settings file with this suffix ("<folder>/ferrylo<suffix>") and
// returns its path. Throws std::runtime_error when the file cannot be written.
std::string WriteScratchFile(std::string_view suffix, const uint8_t* data, size_t size);

} // namespace fuzz
