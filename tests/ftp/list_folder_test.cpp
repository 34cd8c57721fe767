// Fetching a folder's listing: from the scripted server in every way it can end, with the control connection in
// step afterwards, and from a real server, plain and over TLS.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/WsaErrors.h"
#include "tests/ftp/ftp_test_helpers.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;
using ListingEnd = FakeFtpServer::ListingEnd;
using TKind = TListedEntry::TKind;

namespace {

const char* const kMlsdText = "type=cdir; /dir\r\n"
                              "type=file;size=5;modify=20261208120000; a b\r\n"
                              "type=dir;modify=20261208120000; sub\r\n";
const char* const kListText = "total 2\r\n"
                              "-rw-r--r-- 1 u g 5 Dec 8 12:00 a b\r\n"
                              "drwxr-xr-x 2 u g 0 Dec 8 12:00 sub\r\n";

std::string ManyLines(std::size_t count, bool mlsd) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += mlsd ? "type=file;size=1; f\r\n" : "-rw-r--r-- 1 u g 1 Dec 8 12:00 f\r\n";
    return text;
}

struct ServedListing {
    const char* name;
    bool mlsd;
    bool passive;
    ListingEnd end;
    bool refused; // asked for a folder the server does not have
    bool tooManyLines;
    bool listed;
};

const ServedListing kServed[] = {
    {"MlsdWhole", true, true, ListingEnd::Whole, false, false, true},
    {"ListWhole", false, true, ListingEnd::Whole, false, false, true},
    {"MlsdWholeActive", true, false, ListingEnd::Whole, false, false, true},
    {"MlsdCut", true, true, ListingEnd::Cut, false, false, false},
    {"ListCut", false, true, ListingEnd::Cut, false, false, false},
    {"MlsdFlood", true, true, ListingEnd::Flood, false, false, false},
    {"ListFlood", false, true, ListingEnd::Flood, false, false, false},
    {"MlsdRefused", true, true, ListingEnd::Whole, true, false, false},
    {"ListRefused", false, true, ListingEnd::Whole, true, false, false},
    {"ListRefusedActive", false, false, ListingEnd::Whole, true, false, false},
    {"MlsdTooManyLines", true, true, ListingEnd::Whole, false, true, false},
};

class ServedListings : public ::testing::TestWithParam<ServedListing> {};

INSTANTIATE_TEST_SUITE_P(Ends, ServedListings, ::testing::ValuesIn(kServed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ServedListings, GiveEntriesOnlyWhenWholeAndLeaveTheConnectionInStep) {
    const ServedListing& c = GetParam();
    FakeFtpServer::Options options;
    if (c.mlsd)
        options.features = {"MLST type*;size*;modify*;", "SIZE"};
    FakeFtpServer server(options);
    const std::string text = c.tooManyLines               ? ManyLines(TIdFTP::kMaxListingEntries + 1, c.mlsd)
                             : c.end == ListingEnd::Flood ? ManyLines(1, c.mlsd)
                             : c.mlsd                     ? kMlsdText
                                                          : kListText;
    server.setListing("/dir", text, c.end);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = c.passive;
    ftp.FollowUpTimeLimit = 200;
    ftp.ConnectAndLogIn(true, -1);

    const std::string folder = c.refused ? "/missing" : "/dir";
    const auto listed = ftp.ListFolder(folder);
    ASSERT_EQ(listed.has_value(), c.listed);
    const std::string command = (c.mlsd ? "MLSD " : "LIST ") + folder;
    const auto commands = server.commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), command), commands.end());
    if (c.end == ListingEnd::Flood) {
        EXPECT_GT(server.floodedBytes(), static_cast<std::uint64_t>(TIdFTP::kMaxListingBytes));
    }
    if (listed) {
        ASSERT_EQ(listed->Entries.size(), 2u);
        EXPECT_EQ(listed->Unreadable, 0u);
        EXPECT_EQ(listed->Entries[0].Name, "a b");
        EXPECT_EQ(listed->Entries[0].Kind, TKind::File);
        EXPECT_EQ(listed->Entries[0].Size, 5);
        EXPECT_EQ(listed->Entries[0].ModifiedUtc.has_value(), c.mlsd);
        EXPECT_EQ(listed->Entries[1].Name, "sub");
        EXPECT_EQ(listed->Entries[1].Kind, TKind::Folder);
    }
    EXPECT_EQ(ftp.SendCommand("NOOP", TReplyCodes{}), 200);
    ftp.LeaveServer();
}

TEST(ServedListingsOther, AGlobInAListPathAsksNothingAndAStallRaisesWithinTheBound) {
    FakeFtpServer server;
    server.setListing("/dir", kListText, ListingEnd::Stall);
    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.options().user, server.options().password);
    ftp.Passive = true;
    ftp.ConnectAndLogIn(true, -1);
    const std::size_t before = server.commands().size();
    for (const char* folder : {"/d*", "/d?", "/d[1]", "-la"})
        EXPECT_FALSE(ftp.ListFolder(folder).has_value()) << folder;
    // FEAT, asked once (at the log-in where names may need UTF-8); no LIST went out.
    EXPECT_EQ(server.commands().size(), before + 1 - ftptest::FeatureQuestions());

    ftp.ReplyTimeLimit = 300;
    const auto start = std::chrono::steady_clock::now();
    try {
        ftp.ListFolder("/dir");
        ADD_FAILURE() << "a stalled listing returned";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode(), WsaTimedOut);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(ftp.DataChannel(), nullptr);
}

// A folder with a file, a folder and a name with blanks, on a server no one here wrote; over TLS the listing
// comes through PROT P, which that server demands.
class RealServerListing : public ::testing::TestWithParam<PyFtpdServer::Tls> {};

INSTANTIATE_TEST_SUITE_P(Servers, RealServerListing,
                         ::testing::Values(PyFtpdServer::Tls::Off, PyFtpdServer::Tls::Required),
                         [](const auto& info) { return info.param == PyFtpdServer::Tls::Off ? "Plain" : "Tls"; });

TEST_P(RealServerListing, GivesNamesKindsSizesAndUtcTimes) {
    if (const std::string why = PyFtpdServer::Unavailable(GetParam()); !why.empty())
        GTEST_SKIP() << why;
    PyFtpdServer server(GetParam());
    const std::filesystem::path folder = server.root() / "d";
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "f.txt", std::ios::binary) << "12345";
    std::ofstream(folder / "name with spaces.txt", std::ios::binary) << std::string(70000, 'x');
    const auto stamp = std::chrono::sys_days(std::chrono::year(2026) / 1 / 2) + std::chrono::hours(3) +
                       std::chrono::minutes(4) + std::chrono::seconds(5);
    std::filesystem::last_write_time(folder / "f.txt", std::chrono::file_clock::from_sys(stamp));
    const std::int64_t expectedTime =
        std::chrono::duration_cast<std::chrono::seconds>(stamp.time_since_epoch()).count();

    TIdFTP ftp;
    ftptest::PointAt(ftp, server, server.user(), server.password());
    ftp.Passive = true;
    ftp.UseTLS = GetParam() == PyFtpdServer::Tls::Required;
    ftp.OnVerifyPeer = [](const TIdTLSPeer&) { return true; };
    ftp.ConnectAndLogIn(true, -1);
    ASSERT_TRUE(ftp.Features().Mlsd);
    ASSERT_TRUE(ftp.Features().Mdtm);

    const auto listed = ftp.ListFolder("/d");
    ASSERT_TRUE(listed.has_value()) << server.log();
    EXPECT_EQ(listed->Unreadable, 0u);
    auto entries = listed->Entries;
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Name, "f.txt");
    EXPECT_EQ(entries[0].Kind, TKind::File);
    EXPECT_EQ(entries[0].Size, 5);
    EXPECT_NEAR(entries[0].ModifiedUtc.value_or(0), expectedTime, 1);
    EXPECT_EQ(entries[1].Name, "name with spaces.txt");
    EXPECT_EQ(entries[1].Size, 70000);
    EXPECT_EQ(entries[2].Name, "sub");
    EXPECT_EQ(entries[2].Kind, TKind::Folder);

    EXPECT_NEAR(ftp.RemoteModified("/d/f.txt").value_or(0), expectedTime, 1);
    EXPECT_FALSE(ftp.RemoteModified("/d/missing").has_value());
    EXPECT_FALSE(ftp.ListFolder("/missing").has_value());
    EXPECT_EQ(ftp.RemoteSize("/d/f.txt"), 5); // still in step
    ftp.LeaveServer();
}

} // namespace
