// The ".ftps" file: its absence means encryption off, a save keeps what a later version wrote, and an accepted
// certificate is kept per server without ever breaking a line.
#include "settings/FtpsFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpsFile, MissingMeansOffAndNoCertificate) {
    TempFolder folder;
    const TFtpsFile file = TFtpsFile::Read(folder.File("ferrylo.ftps"));
    EXPECT_FALSE(file.Encryption() || file.KnownFolders());
    EXPECT_EQ(file.Certificate("127.0.0.1"), "");
}

TEST(FtpsFile, RoundTripKeepsUnknownKeysAndWritesCrLfLines) {
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    TempFolder::Put(path, "later.option=42\nftps=0\r\n");
    TFtpsFile file = TFtpsFile::Read(path);
    file.SetEncryption(true);
    ASSERT_TRUE(file.SetCertificate("ftp.example.org", "AA:BB"));
    ASSERT_TRUE(file.SetCertificate("a b=c", "CC:DD"));           // blanks and '=' in a typed server stay its own
    ASSERT_TRUE(file.SetCertificate("ftp.example.org", "EE:FF")); // replaces, never a second line
    file.SetKnownFolders(false);
    file.SetKnownFolders(true);
    ASSERT_TRUE(file.Write(path));
    EXPECT_EQ(TempFolder::Get(path), "later.option=42\r\nftps=1\r\ncertificate=CC:DD a b=c\r\n"
                                     "certificate=EE:FF ftp.example.org\r\nknown_folders=1\r\n");

    const TFtpsFile again = TFtpsFile::Read(path);
    EXPECT_TRUE(again.Encryption() && again.KnownFolders());
    EXPECT_EQ(again.Certificate("ftp.example.org"), "EE:FF");
    EXPECT_EQ(again.Certificate("a b=c"), "CC:DD");
    EXPECT_EQ(again.Certificate("a b"), "");
}

// A hand-edited count must never reach the job outside 1..8.
TEST(FtpsFile, ParallelUploadsReadsOnlyACountWithinBounds) {
    const std::pair<const char*, int> cases[] = {
        {"", 1},
        {"parallel_uploads=4\r\n", 4},
        {"parallel_uploads=0\r\n", 1},
        {"parallel_uploads=-3\r\n", 1},
        {"parallel_uploads=9\r\n", 8},
        {"parallel_uploads=99999999999999999999\r\n", 8},
        {"parallel_uploads=-99999999999999999999\r\n", 1},
        {"parallel_uploads=4x\r\n", 1},
        {"parallel_uploads=\r\n", 1},
        {"parallel_uploads= 4\r\n", 1},
    };
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    for (const auto& [text, count] : cases) {
        TempFolder::Put(path, text);
        EXPECT_EQ(TFtpsFile::Read(path).ParallelUploads(), count) << text;
    }
}

TEST(FtpsFile, AServerOrFingerprintThatWouldBreakTheLineIsNotStored) {
    TFtpsFile file;
    for (const std::string& server : {std::string(), std::string("evil\r\nftps=1"), std::string("x\0y", 3)})
        EXPECT_FALSE(file.SetCertificate(server, "AA:BB"));
    EXPECT_FALSE(file.SetCertificate("host", "AA BB"));
    EXPECT_FALSE(file.SetCertificate("host", ""));
    EXPECT_TRUE(file.Lines().empty());
}

} // namespace
