#include "util/Utf8Text.h"

namespace {

constexpr char32_t StrayByte(unsigned char b) {
    return 0xDC00u + b;
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0u) == 0x80u;
}

// Length of the sequence that lead byte `b` opens, or 0 when `b` cannot open one.
std::size_t SequenceLength(unsigned char b) {
    if (b < 0x80u)
        return 1;
    if (b >= 0xC2u && b <= 0xDFu)
        return 2;
    if (b >= 0xE0u && b <= 0xEFu)
        return 3;
    if (b >= 0xF0u && b <= 0xF4u)
        return 4;
    return 0;
}

} // namespace

std::vector<char32_t> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t len = SequenceLength(lead);
        bool wellFormed = len > 0 && i + len <= text.size();
        char32_t cp = len == 1 ? lead : len == 2 ? (lead & 0x1Fu) : len == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
        for (std::size_t k = 1; wellFormed && k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            wellFormed = IsContinuation(b);
            cp = (cp << 6) | (b & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (wellFormed && ((len == 3 && cp < 0x800u) || (len == 4 && (cp < 0x10000u || cp > 0x10FFFFu)) ||
                           (cp >= 0xD800u && cp <= 0xDFFFu)))
            wellFormed = false;
        if (wellFormed) {
            out.push_back(cp);
            i += len;
        } else {
            out.push_back(StrayByte(lead));
            ++i;
        }
    }
    return out;
}

std::size_t CharCount(std::string_view text) {
#ifdef _WIN32
    return text.size();
#else
    return DecodeUtf8(text).size();
#endif
}

std::string CutOnCharBoundary(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t cut = maxBytes;
#ifndef _WIN32
    // Step back over at most three continuation bytes to the start of the character that the
    // cut would split; a longer run is not text, so it is cut where it stands.
    std::size_t back = cut;
    while (back > 0 && cut - back < 3 && IsContinuation(static_cast<unsigned char>(text[back])))
        --back;
    if (back < cut && SequenceLength(static_cast<unsigned char>(text[back])) > cut - back)
        cut = back;
#endif
    return std::string(text.substr(0, cut));
}
