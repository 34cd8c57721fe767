#include "util/TextFields.h"

#include <gtest/gtest.h>

namespace {

struct FieldCase {
    int n;
    const char* text;
    char sep;
    const char* field;
};

TEST(FieldOf, WorkedCases) {
    const FieldCase cases[] = {
        {1, "/a/b", '/', ""},      {2, "/a/b", '/', "a"}, {3, "/a/b", '/', "b"}, {4, "/a/b", '/', ""},
        {2, "a//b", '/', ""},      {3, "a//b", '/', "b"}, {2, "ab/", '/', ""},   {1, "x", '/', "x"},
        {1, "/", '/', ""},         {0, "a|b", '|', ""},   {3, "a|b", '|', ""},   {2, "a|b", '|', "b"},
        {2, "a|", '|', ""},        {-5, "a|b", '|', ""},  {1, "", '|', ""},      {4, "192.168.0.17", '.', "17"},
        {2, "1:02:05", ':', "02"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldOf(c.n, c.text, c.sep), c.field) << "field " << c.n << " of '" << c.text << "'";
}

TEST(FieldOf, PipeFieldCutsAtBarOnly) {
    EXPECT_EQ(PipeField(1, "C:\\Data|*.*"), "C:\\Data");
    EXPECT_EQ(PipeField(2, "C:\\Data|*.*"), "*.*");
    EXPECT_EQ(PipeField(2, "only"), "");
    EXPECT_EQ(PipeField(2, "a|b|c"), "b");
}

TEST(FieldCount, CountsSeparatorsPlusOne) {
    EXPECT_EQ(FieldCount("", '/'), 0);
    EXPECT_EQ(FieldCount("abc", '/'), 1);
    EXPECT_EQ(FieldCount("/", '/'), 2);
    EXPECT_EQ(FieldCount("a|", '|'), 2);
    EXPECT_EQ(FieldCount("/a/b", '/'), 3);
}

// A caller walks fields 1..FieldCount; the fields joined back give the text, and the last one is
// empty exactly when the text ends with the separator.
TEST(FieldCount, AgreesWithFieldOf) {
    for (const char* text : {"/a/b", "a//b", "ab/", "x", "/", "//", "a/b/c/"}) {
        const std::string t = text;
        const int count = FieldCount(t, '/');
        std::string joined;
        for (int n = 1; n <= count; ++n)
            joined += (n > 1 ? "/" : "") + FieldOf(n, t, '/');
        EXPECT_EQ(joined, t);
        EXPECT_EQ(FieldOf(count, t, '/').empty(), t.back() == '/') << t;
        EXPECT_EQ(FieldOf(count + 1, t, '/'), "") << t;
    }
}

} // namespace
