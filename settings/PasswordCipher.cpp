#include "settings/PasswordCipher.h"

#include <cstdint>

namespace {

constexpr std::uint16_t StartKey = 447;
constexpr std::uint16_t Multiplier = 20297;
constexpr std::uint16_t Addend = 46153;

std::uint16_t NextKey(std::uint16_t key, unsigned char enciphered) {
    return static_cast<std::uint16_t>((key + enciphered) * Multiplier + Addend);
}

} // namespace

std::string EncryptPassword(const std::string& plain) {
    std::string out(plain.size(), '\0');
    std::uint16_t key = StartKey;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto c = static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ (key >> 8));
        out[i] = static_cast<char>(c);
        key = NextKey(key, c);
    }
    return out;
}

std::string DecryptPassword(const std::string& enciphered) {
    std::string out(enciphered.size(), '\0');
    std::uint16_t key = StartKey;
    for (std::size_t i = 0; i < enciphered.size(); ++i) {
        const auto c = static_cast<unsigned char>(enciphered[i]);
        out[i] = static_cast<char>(c ^ (key >> 8));
        key = NextKey(key, c);
    }
    return out;
}
