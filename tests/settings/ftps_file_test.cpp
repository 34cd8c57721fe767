// The ".ftps" file: its absence means encryption off, a save keeps what a later version wrote, and an accepted
// certificate is kept per server and port without ever breaking a line. It is replaced in one step, so a reader
// never sees half of it, and not created for default values alone.
#include "settings/FtpsFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace {

TEST(FtpsFile, MissingMeansOffAndNoCertificate) {
    TempFolder folder;
    const TFtpsFile file = TFtpsFile::Read(folder.File("ferrylo.ftps"));
    EXPECT_FALSE(file.Encryption() || file.KnownFolders() || file.Sftp());
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
    file.SetSftp(true);
    ASSERT_TRUE(file.Write(path));
    EXPECT_EQ(TempFolder::Get(path), "later.option=42\r\nftps=1\r\ncertificate=CC:DD a b=c\r\n"
                                     "certificate=EE:FF ftp.example.org\r\nknown_folders=1\r\nsftp=1\r\n");

    const TFtpsFile again = TFtpsFile::Read(path);
    EXPECT_TRUE(again.Encryption() && again.KnownFolders() && again.Sftp());
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

TEST(FtpsFile, CertificatesArePerPortAndAHostOnlyLineCountsForPort21) {
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    TempFolder::Put(path, "certificate=AA:AA ftp.example.org\r\ncertificate=BB:BB ftp.example.org:2121\r\n");
    TFtpsFile file = TFtpsFile::Read(path);
    const std::pair<const char*, const char*> cases[] = {
        {"ftp.example.org:21", "AA:AA"}, {"ftp.example.org:2121", "BB:BB"}, {"ftp.example.org:990", ""},
        {"example.org:21", ""},          {"ftp.example.org:211", ""},
    };
    for (const auto& [server, fingerprint] : cases)
        EXPECT_EQ(file.Certificate(server), fingerprint) << server;

    // Accepting another certificate for port 21 replaces the host-only line; the other port keeps its own.
    ASSERT_TRUE(file.SetCertificate("ftp.example.org:21", "CC:CC"));
    EXPECT_EQ(file.Lines(), (std::vector<std::string>{"certificate=BB:BB ftp.example.org:2121",
                                                      "certificate=CC:CC ftp.example.org:21"}));
}

TEST(FtpsFile, DefaultsAloneCreateNoFileButRewriteOneThatIsThere) {
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    TFtpsFile file;
    file.SetEncryption(false);
    file.SetKnownFolders(false);
    file.SetParallelUploads(1);
    ASSERT_TRUE(file.Write(path));
    EXPECT_FALSE(std::filesystem::exists(path));

    TempFolder::Put(path, "ftps=1\r\n");
    ASSERT_TRUE(file.Write(path));
    EXPECT_EQ(TempFolder::Get(path), "ftps=0\r\nknown_folders=0\r\nparallel_uploads=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST(FtpsFile, AReaderNeverSeesHalfAFileWhileItIsRewritten) {
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    // Two versions of many lines, so a write in place would be caught half done.
    TFtpsFile versions[2];
    for (int v = 0; v < 2; ++v) {
        for (int n = 0; n < 400; ++n)
            versions[v].SetCertificate("host" + std::to_string(n) + ":21", v == 0 ? "AA:AA" : "BB:BB:BB:BB");
    }
    ASSERT_TRUE(versions[0].Write(path));
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int round = 0; round < 300; ++round)
            versions[round % 2].Write(path);
        writing = false;
    });
    int reads = 0;
    int torn = 0;
    while (writing || reads == 0) {
        const auto lines = TFtpsFile::Read(path).Lines();
        torn += lines != versions[0].Lines() && lines != versions[1].Lines();
        ++reads;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
}

TEST(FtpsFile, AFileThatCannotBeReplacedIsReportedAndKept) {
    TempFolder folder;
    const std::string path = folder.File("ferrylo.ftps");
    TempFolder::Put(path, "ftps=1\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    TFtpsFile file = TFtpsFile::Read(path);
    file.SetEncryption(false);
    EXPECT_FALSE(file.Write(path));
    EXPECT_EQ(TempFolder::Get(path), "ftps=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

} // namespace
