#include "util/MaskMatch.h"

#include "util/Utf8Text.h"

EMaskException::EMaskException(const std::string& mask, int position)
    : std::runtime_error("'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")"),
      position_(position) {}

char32_t FoldCase(char32_t c) {
    if (c >= U'A' && c <= U'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals, without the multiplication sign
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) // А..Я
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) // Ѐ..Џ, Ё among them
        return c + 0x50;
    return c;
}

namespace {

// Upper-case partner of a folded letter, so that a range written in capitals ("[А-Я]") also
// takes small letters and the other way round.
char32_t UpperCase(char32_t c) {
    if (c >= U'a' && c <= U'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

} // namespace

TMask::TMask(std::string_view maskText) {
    const std::string maskCopy(maskText);
    const std::vector<char32_t> mask = DecodeUtf8(maskText);
    auto fail = [&](std::size_t index) { throw EMaskException(maskCopy, static_cast<int>(index) + 1); };

    int starRuns = 0;
    std::size_t i = 0;
    while (i < mask.size()) {
        const char32_t c = mask[i];
        if (c == U'*') {
            if (++starRuns > MaxStarRuns)
                fail(i);
            // Further stars and question marks right after a star belong to the same run.
            while (i < mask.size() && (mask[i] == U'*' || mask[i] == U'?'))
                ++i;
            elements_.push_back(Element{Element::Kind::AnyRun, 0, false, {}});
            continue;
        }
        if (c == U'?') {
            elements_.push_back(Element{Element::Kind::AnyOne, 0, false, {}});
            ++i;
            continue;
        }
        if (c != U'[') {
            elements_.push_back(Element{Element::Kind::Literal, FoldCase(c), false, {}});
            ++i;
            continue;
        }
        Element set{Element::Kind::Set, 0, false, {}};
        ++i;
        if (i < mask.size() && mask[i] == U'!') {
            set.negated = true;
            ++i;
        }
        for (;;) {
            if (i >= mask.size())
                fail(mask.size() - 1); // the set never closes: reading stopped at the end
            const char32_t first = mask[i];
            if (first == U']') {
                if (set.ranges.empty())
                    fail(i);
                ++i;
                break;
            }
            if (first == U'-')
                fail(i); // a range needs its first character
            ++i;
            if (i + 1 < mask.size() && mask[i] == U'-' && mask[i + 1] != U']') {
                set.ranges.push_back({first, mask[i + 1]});
                i += 2;
            } else {
                set.ranges.push_back({first, first});
                // A '-' just before the closing bracket is a plain character of the set.
                if (i + 1 < mask.size() && mask[i] == U'-') {
                    set.ranges.push_back({U'-', U'-'});
                    ++i;
                }
            }
        }
        elements_.push_back(std::move(set));
    }
}

bool TMask::ElementMatches(const Element& e, char32_t c) const {
    switch (e.kind) {
    case Element::Kind::Literal:
        return FoldCase(c) == e.literal;
    case Element::Kind::AnyOne:
        return true;
    case Element::Kind::AnyRun:
        return false; // handled by the matcher
    case Element::Kind::Set: {
        const char32_t lower = FoldCase(c);
        const char32_t upper = UpperCase(lower);
        bool inSet = false;
        for (const Range& r : e.ranges) {
            if ((c >= r.first && c <= r.last) || (lower >= r.first && lower <= r.last) ||
                (upper >= r.first && upper <= r.last)) {
                inSet = true;
                break;
            }
        }
        return inSet != e.negated;
    }
    }
    return false;
}

bool TMask::Matches(std::string_view nameText) const {
    const std::vector<char32_t> name = DecodeUtf8(nameText);
    // Greedy walk with one remembered star: on a mismatch the last star takes one more
    // character. Exact for masks whose only variable-length element is '*'.
    std::size_t m = 0, n = 0;
    std::size_t starElement = elements_.size(), starName = 0;
    while (n < name.size()) {
        if (m < elements_.size() && elements_[m].kind == Element::Kind::AnyRun) {
            starElement = m++;
            starName = n;
        } else if (m < elements_.size() && ElementMatches(elements_[m], name[n])) {
            ++m;
            ++n;
        } else if (starElement < elements_.size()) {
            m = starElement + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < elements_.size() && elements_[m].kind == Element::Kind::AnyRun)
        ++m;
    return m == elements_.size();
}

bool MaskMatches(std::string_view mask, std::string_view name) {
    return TMask(mask).Matches(name);
}
