#include "util/MaskMatch.h"

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    const char* mask;
    const char* name;
    bool matches;
};

void CheckAll(std::initializer_list<MatchCase> cases) {
    for (const auto& c : cases)
        EXPECT_EQ(MaskMatches(c.mask, c.name), c.matches) << "mask '" << c.mask << "' name '" << c.name << "'";
}

TEST(MaskMatch, StarsQuestionMarksAndLiterals) {
    CheckAll({
        {"*.txt", "notes.txt", true},
        {"*.txt", "notes.txt.bak", false},
        {"*.txt", "README", false},
        {"*.*", "README", false}, // only the file listing takes "*.*" for every name
        {"*.*", "a.b", true},
        {"*", "", true},
        {"*", "anything at all", true},
        {"", "", true},
        {"", "a", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "abbc", false},
        {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbx", false},
        {"*ab", "aab", true},
        {"a*b*c", "abcbc", true},
        {"*.tar.gz", "x.tar.tar.gz", true},
    });
}

TEST(MaskMatch, QuestionMarkRightAfterStarAddsNothing) {
    CheckAll({
        {"a*?", "a", true},
        {"a*??", "a", true},
        {"*?.txt", ".txt", true},
        {"a?*", "a", false}, // before the star it still needs its character
    });
}

TEST(MaskMatch, SetsRangesAndNegation) {
    CheckAll({
        {"[abc]x", "bx", true},
        {"[abc]x", "dx", false},
        {"[a-c]x", "Bx", true},
        {"[A-C]x", "bx", true},
        {"[a-c0-9]", "7", true},
        {"[!a-c]x", "dx", true},
        {"[!a-c]x", "Ax", false},
        {"[a-]", "-", true},
        {"[*?]", "?", true},
        {"[*?]", "x", false},
        {"file[1].txt", "file1.txt", true},
        {"file[1].txt", "file[1].txt", false}, // '[' opens a set, it is no literal
    });
}

TEST(MaskMatch, LettersIgnoreCaseLatinAndCyrillic) {
    CheckAll({
        {"README.TXT", "readme.txt", true},
        {"отчёт*.doc", "ОТЧЁТ_1.DOC", true},
        {"ОТЧЁТ", "отчет", false}, // Ё and Е are different letters
        {"[а-я]ук", "Жук", true},
        {"[!А-Я]*", "жук", false},
        {"?.txt", "ж.txt", true}, // one character, two bytes
        {"??.txt", "ж.txt", false},
        {"café", "CAFÉ", true},
    });
}

TEST(MaskMatch, UnreadableMasksNameWhereReadingStopped) {
    const struct {
        std::string mask;
        int position;
    } cases[] = {
        {"[abc", 4}, {"x[", 2},   {"[]", 2}, {"[!]", 3},
        {"[-a]", 2}, {"a[x-", 4}, {"ж[", 2}, // positions count characters, not bytes
    };
    for (const auto& c : cases) {
        try {
            MaskMatches(c.mask, "x");
            ADD_FAILURE() << "'" << c.mask << "' was accepted";
        } catch (const EMaskException& e) {
            EXPECT_EQ(e.Position(), c.position) << c.mask;
            EXPECT_EQ(std::string(e.what()),
                      "'" + c.mask + "' is an invalid mask at (" + std::to_string(c.position) + ")");
        }
    }
}

TEST(MaskMatch, AtMostThirtyRunsOfStars) {
    std::string mask;
    for (int i = 0; i < TMask::MaxStarRuns; ++i)
        mask += "**?a"; // one run each: further stars and '?' join it
    EXPECT_TRUE(TMask(mask).Matches(std::string(30, 'a')));
    const std::string tooMany = mask + "*";
    try {
        TMask{tooMany};
        FAIL() << "31 runs accepted";
    } catch (const EMaskException& e) {
        EXPECT_EQ(e.Position(), static_cast<int>(tooMany.size()));
    }
}

TEST(MaskMatch, StrayBytesCompareAsThemselves) {
    const std::string stray = "\xff\xfe.bin";
    EXPECT_TRUE(MaskMatches("*.bin", stray));
    EXPECT_TRUE(MaskMatches("??.bin", stray));
    EXPECT_TRUE(MaskMatches(stray, stray));
    EXPECT_FALSE(MaskMatches("\xfe\xff.bin", stray));
}

} // namespace
