#include "util/Utf8Text.h"

#include "tests/support/EightBitText.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Text, CountsCharactersNotBytes) {
    SKIP_WHERE_A_BYTE_IS_A_CHARACTER();
    EXPECT_EQ(CharCount(""), 0u);
    EXPECT_EQ(CharCount("s3cret"), 6u);
    EXPECT_EQ(CharCount("пароль"), 6u);
    EXPECT_EQ(CharCount("a€𝄞"), 3u);
    EXPECT_EQ(CharCount("\xc3"), 1u);         // a lone lead byte is one stray character
    EXPECT_EQ(CharCount("\xe0\x80\x80"), 3u); // an overlong form is three stray bytes
}

TEST(Utf8Text, CutNeverSplitsACharacter) {
    SKIP_WHERE_A_BYTE_IS_A_CHARACTER();
    const struct {
        std::string text;
        std::size_t max;
        std::string cut;
    } cases[] = {
        {"abc", 5, "abc"}, {"abc", 2, "ab"},
        {"aж", 2, "a"},                                                   // would split the two-byte letter
        {"aж", 3, "aж"},   {"a€", 3, "a"},                                // three-byte sign
        {"a€", 2, "a"},    {"a𝄞b", 4, "a"},                               // four-byte sign
        {"a𝄞b", 5, "a𝄞"},  {"a\x80\x80\x80\x80\x80", 4, "a\x80\x80\x80"}, // no character to protect: plain cut
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutOnCharBoundary(c.text, c.max), c.cut) << c.text << " to " << c.max;
}

#ifdef _WIN32
TEST(AnsiText, EveryByteIsOneCharacter) {
    EXPECT_EQ(CharCount(kCyrillicPassword), 6u);
    EXPECT_EQ(CutOnCharBoundary(kCyrillicPassword, 4), std::string(kCyrillicPassword, 4));
}
#endif

} // namespace
