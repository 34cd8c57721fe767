// Filling a reply from its lines and deciding where a reply ends: pure, no I/O.
#include "ftp/FtpFeatures.h"
#include "ftp/TIdRFCReply.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using Lines = std::vector<std::string>;

TEST(ReplyFill, CodeTextAndLinesFromCollectedLines) {
    struct Case {
        Lines lines;
        int code;
        std::string textCode;
        Lines text;
    } cases[] = {
        {{"220 Service ready"}, 220, "220", {"Service ready"}},
        // The collected lines are already trimmed: the inner '  second line' arrives as 'second line'.
        {{"230-Welcome", "second line", "230 Done"}, 230, "230", {"Welcome", "nd line", "Done"}},
        {{"123"}, 123, "123", {""}},
        {{"hello"}, 0, "hell", {"o"}},
        {{"1"}, 1, "1", {""}},
        {{"abc-x", "ABC y"}, 0, "abc", {"x", "y"}},
        {{"22 x"}, 0, "22 x", {""}}, // a code that is not a number reads as 0
    };
    for (const Case& c : cases) {
        TIdRFCReply reply;
        reply.FillFromLines(c.lines);
        EXPECT_EQ(reply.NumericCode, c.code) << c.lines.front();
        EXPECT_EQ(reply.TextCode, c.textCode) << c.lines.front();
        EXPECT_EQ(reply.Text, c.text) << c.lines.front();
    }
}

TEST(ReplyFill, RefillForgetsThePreviousReplyAndCopiesAreIndependent) {
    TIdRFCReply reply;
    reply.FillFromLines({"211-a", "b", "211 c"});
    TIdRFCReply welcome = reply;
    reply.FillFromLines({"x"});
    EXPECT_EQ(reply.NumericCode, 0);
    EXPECT_EQ(reply.TextCode, "x");
    EXPECT_EQ(reply.Text, Lines{""});
    EXPECT_EQ(welcome.NumericCode, 211);
    EXPECT_EQ(welcome.Text.size(), 3u);
    welcome.Clear();
    EXPECT_EQ(welcome.NumericCode, 0);
    EXPECT_TRUE(welcome.TextCode.empty());
    EXPECT_TRUE(welcome.Text.empty());
}

TEST(ReplyEnd, SingleAndMultiLineReplies) {
    struct Case {
        Lines lines;
        bool complete;
    } cases[] = {
        {{"220 ready"}, true},
        {{"220"}, true},
        {{"hello"}, true},
        {{"230-Welcome"}, false},
        {{"230-Welcome", "more"}, false},
        {{"230-Welcome", "230-still going"}, false},
        {{"230-Welcome", "231 other code"}, false},
        {{"230-Welcome", "230 Done"}, true},
        {{"abc-x", "ABC y"}, true},     // the end mark ignores letter case
        {{"230-Welcome", "end"}, true}, // a line shorter than four characters ends it too
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsReplyComplete(c.lines), c.complete) << c.lines.back();
}

TEST(ReplyTrim, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(TrimBlanks("  \t220 ok \r\x01"), "220 ok");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
    EXPECT_EQ(TrimBlanks("\xD0\x9F"), "\xD0\x9F"); // bytes above 127 are text, never trimmed
}

TEST(FeatureList, RestStreamSizeUtf8MlstAndMdtmFromTheLinesOfA211Reply) {
    const std::pair<Lines, std::tuple<bool, bool, bool, bool, bool>> cases[] = {
        {{"211-Features:", "MDTM", "REST STREAM", "SIZE", "UTF8", "211 End"}, {true, true, true, false, true}},
        {{"211-Features:", "size", "rest  stream", " utf8", " MLST type*;size*;modify*;", "211 End"},
         {true, true, true, true, false}},
        {{"211-Features:", " mlst", " mdtm", "211 End"}, {false, false, false, true, true}},
        {{"211-Features:", "REST", "SIZE 64", "UTF8 ON", "MLSTX", "MDTM2", "211 End"},
         {false, false, false, false, false}},
        {{"211 SIZE"}, {false, false, false, false, false}},
    };
    for (const auto& [lines, expected] : cases) {
        const TFtpFeatures features = ParseFeatures(211, lines);
        EXPECT_EQ(std::tuple(features.RestStream, features.Size, features.Utf8, features.Mlsd, features.Mdtm), expected)
            << lines[1];
    }
    EXPECT_FALSE(ParseFeatures(500, {"500-x", "SIZE", "500 End"}).Size);
}

} // namespace
