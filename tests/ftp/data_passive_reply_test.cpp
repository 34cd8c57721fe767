// The 227 parser and the PORT line: pure text work, so every form is checked without a socket.
// Addresses outside loopback appear here as text only; nothing connects to them.
#include "ftp/PassiveReply.h"

#include <gtest/gtest.h>

namespace {

struct PassiveCase {
    const char* text;
    const char* address;
    int port;
    bool usable; // every field a plain number of 0..255
};

class PassiveReplyForms : public ::testing::TestWithParam<PassiveCase> {};

TEST_P(PassiveReplyForms, GiveAddressAndPort) {
    const PassiveCase& c = GetParam();
    const TPassiveEndpoint endpoint = ParsePassiveReply(c.text);
    EXPECT_EQ(endpoint.Address, c.address);
    EXPECT_EQ(endpoint.Port, c.port);
    EXPECT_EQ(endpoint.FieldsInRange, c.usable);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PassiveReplyForms,
    ::testing::Values(PassiveCase{"Entering Passive Mode (192,168,0,10,19,137)", "192.168.0.10", 5001, true},
                      PassiveCase{"Entering Passive Mode 10,0,0,1,4,1", "10.0.0.1", 1025, true},
                      PassiveCase{"  Entering Passive Mode (127,0,0,1,0,21).  ", "127.0.0.1", 21, true},
                      PassiveCase{"=127,0,0,2,255,255", "=127.0.0.2", 65535, false},     // no blank: the whole line
                      PassiveCase{"Ok (127,0,0,1,1,2,3)", "127.0.0.1", 258, true},       // a seventh field is ignored
                      PassiveCase{"(127, 0, 0, 1, 156, 145)", "127.0.0.1", 40081, true}, // blanks before
                      PassiveCase{"(127,0,0,1,\t4,+1)", "127.0.0.1", 1025, false},       // a sign
                      PassiveCase{"(127,0,0,1,4,-1)", "127.0.0.1", 1023, false},         // a port inside 1..65535
                      PassiveCase{"(127,0,0,1,1,256)", "127.0.0.1", 512, false},         // ... from fields out of range
                      PassiveCase{"(127,0,0,300,4,1)", "127.0.0.300", 1025, false}));

TEST(PassiveReply, UnusablePortFieldsRaiseTheConversionMessage) {
    struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"Entering Passive Mode", "'' is not a valid integer value"}, // no fields at all
        {"Entering Passive Mode (127,0,0,1,x,1)", "'x' is not a valid integer value"},
        {"Entering Passive Mode 10,0,0,1,4,1.", "'1.' is not a valid integer value"},
        {"(1,2,3,4)", "'' is not a valid integer value"},
        {"(1,2,3,4,5,99999999999)", "'99999999999' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        try {
            ParsePassiveReply(c.text);
            ADD_FAILURE() << c.text;
        } catch (const EConvertError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

TEST(PassiveReply, HugeFieldsDoNotOverflowThePort) {
    // The caller refuses ports outside 1..65535; the parser must hand them over intact, not wrapped into range.
    EXPECT_GT(ParsePassiveReply("(127,0,0,1,2147483647,255)").Port, 65535);
    EXPECT_LT(ParsePassiveReply("(127,0,0,1,-1,0)").Port, 1);
}

TEST(PortCommand, NamesAddressAndPortInDecimal) {
    EXPECT_EQ(BuildPortCommand("10.0.0.5", 5001), "PORT 10,0,0,5,19,137");
    EXPECT_EQ(BuildPortCommand("127.0.0.1", 255), "PORT 127,0,0,1,0,255");
    EXPECT_EQ(BuildPortCommand("127.0.0.1", 65535), "PORT 127,0,0,1,255,255");
}

} // namespace
