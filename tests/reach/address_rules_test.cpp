// Which address the check tries and logs, and which candidates the search forms. No test here
// resolves any name but "localhost".
#include "ftp/ServerAddress.h"
#include "reach/HostAddress.h"
#include "reach/SearchRange.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

TEST(IsDottedAddress, DigitsAndDotsOnlyWithoutJudgingTheParts) {
    const struct {
        const char* text;
        bool dotted;
    } cases[] = {
        {"", true},
        {"192.168.1.5", true},
        {"1..2", true},
        {"300.1.1.1", true},
        {".", true},
        {"192.168.1.x", false},
        {"localhost", false},
        {" 127.0.0.1", false},
        {"127.0.0.1 ", false},
        {"127.0.0.1:21", false},
        {"-1.0.0.1", false},
        {"１２７.0.0.1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsDottedAddress(c.text), c.dotted) << '"' << c.text << '"';
}

TEST(HostToAddress, DottedTextsComeBackUnchangedWithoutLookUp) {
    for (const char* text : {"", "192.168.1.5", "1..2", "300.1.1.1", "10.0.0.999"})
        EXPECT_EQ(HostToAddress(text), text);
}

TEST(HostToAddress, NameGivesItsFirstIPv4AddressDotted) {
    EXPECT_EQ(HostToAddress("localhost"), "127.0.0.1");
}

TEST(SearchPrefixOf, FirstThreeFieldsOfTheTextAsEntered) {
    const struct {
        const char* server;
        const char* prefix;
    } cases[] = {
        {"192.168.1.20", "192.168.1."},
        {"127.0.0.1", "127.0.0."},
        {"ftp.example.org.local", "ftp.example.org."}, // a name is cut, never resolved
        {"10.1", "10.1.."},
        {"", "..."},
        {"1..2.3", "1..2."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchPrefixOf(c.server), c.prefix) << c.server;
}

TEST(CandidateAddress, DecimalWithoutLeadingZerosAndWithSign) {
    EXPECT_EQ(CandidateAddress("127.0.0.", 3), "127.0.0.3");
    EXPECT_EQ(CandidateAddress("127.0.0.", 0), "127.0.0.0");
    EXPECT_EQ(CandidateAddress("127.0.0.", -7), "127.0.0.-7");
    EXPECT_EQ(CandidateAddress("127.0.0.", 2147483647), "127.0.0.2147483647");
    EXPECT_EQ(CandidateAddress("...", 1), "...1");
}

TEST(ServerWithPort, HostAndPortAsTypedAndTheCheckKeepsThePort) {
    // Host and port as parsed, "" when the text names no server; dotted hosts only: nothing is looked up.
    const std::pair<std::string, std::string> cases[] = {
        {"10.0.0.1", "10.0.0.1 21"},
        {"192.168.0.10:2121", "192.168.0.10 2121"},
        {"10.0.0.1:65535", "10.0.0.1 65535"},
        {"10.0.0.1:", ""},
        {"10.0.0.1:0", ""},
        {"10.0.0.1:65536", ""},
        {"10.0.0.1:99999999999", ""},
        {"10.0.0.1:21x", ""},
        {":2121", ""},
    };
    for (const auto& [typed, expected] : cases) {
        const auto address = ParseServerAddress(typed, 21);
        EXPECT_EQ(address ? address->Host + " " + std::to_string(address->Port) : "", expected) << typed;
        EXPECT_EQ(ServerToAddress(typed), typed);
    }
    EXPECT_EQ(WithTypedPort("127.0.0.7", "127.0.0.1:2121"), "127.0.0.7:2121");
    EXPECT_EQ(WithTypedPort("127.0.0.7", "127.0.0.1"), "127.0.0.7");
}

} // namespace
