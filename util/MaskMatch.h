#pragma once
// File-name masks: '*' any run of characters (also none), '?' one character, "[...]" one
// character of a set with "a-z" ranges and a leading '!' for "not in the set"; every other
// character stands for itself. Letters match regardless of case (Latin and Cyrillic). A '?'
// directly after a '*' adds nothing. Names and masks are UTF-8 and are compared by character.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A mask that cannot be read: "'<mask>' is an invalid mask at (<position>)", the position being
// the 1-based character at which reading stopped.
class EMaskException : public std::runtime_error {
public:
    EMaskException(const std::string& mask, int position);
    int Position() const { return position_; }

private:
    int position_;
};

class TMask {
public:
    // Reads the mask; throws EMaskException when it cannot.
    explicit TMask(std::string_view mask);

    bool Matches(std::string_view name) const;

    // More runs of '*' than this make a mask unreadable.
    static constexpr int MaxStarRuns = 30;

private:
    struct Range {
        char32_t first;
        char32_t last;
    };
    struct Element {
        enum class Kind { Literal, AnyOne, AnyRun, Set } kind;
        char32_t literal = 0; // Literal, already case-folded
        bool negated = false; // Set
        std::vector<Range> ranges;
    };

    bool ElementMatches(const Element& e, char32_t c) const;

    std::vector<Element> elements_;
};

// One-off match; throws EMaskException for an unreadable mask.
bool MaskMatches(std::string_view mask, std::string_view name);

// Simple case folding to lower case for Latin (ASCII and Latin-1) and Cyrillic letters.
char32_t FoldCase(char32_t c);
