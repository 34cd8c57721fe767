#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "util/FileErrors.h"

#include "tests/support/EightBitText.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

#include <sys/stat.h>

namespace {

TFtpSettings Sample() {
    TFtpSettings s;
    s.Folder = "/incoming/daily";
    s.Server = "ftp.example.test";
    s.Login = "оператор";
    s.Password = EncryptPassword("s3cret");
    s.Passive = false;
    return s;
}

void ExpectSame(const TFtpSettings& a, const TFtpSettings& b) {
    EXPECT_EQ(a.Folder, b.Folder);
    EXPECT_EQ(a.Server, b.Server);
    EXPECT_EQ(a.Login, b.Login);
    EXPECT_EQ(a.Password, b.Password);
    EXPECT_EQ(a.Passive, b.Passive);
}

TEST(FtpRecord, WrittenRecordReadsBack) {
    TempFolder dir;
    const std::string path = dir.File("x.MyIni");
    ASSERT_TRUE(WriteFtpSettingsFile(path, Sample()));
    const std::string bytes = TempFolder::Get(path);
    ASSERT_EQ(bytes.size(), FtpRecordSize);
    EXPECT_EQ(bytes[256], static_cast<char>(Sample().Server.size()));
    EXPECT_EQ(bytes.substr(257, Sample().Server.size()), Sample().Server);
    EXPECT_EQ(bytes[1024], 0);

    TFtpSettings read;
    ASSERT_TRUE(ReadFtpSettingsFile(path, read));
    ExpectSame(read, Sample());
    EXPECT_EQ(DecryptPassword(read.Password), "s3cret");
}

TEST(FtpRecord, AnyNonZeroPassiveByteIsOn) {
    TempFolder dir;
    std::string bytes = EncodeFtpRecord(Sample());
    bytes[1024] = 7;
    TempFolder::Put(dir.File("x.MyIni"), bytes);
    TFtpSettings read = Sample();
    ASSERT_TRUE(ReadFtpSettingsFile(dir.File("x.MyIni"), read));
    EXPECT_TRUE(read.Passive);
}

// A record cut at any length fills the fields whose bytes it has; the rest keeps the defaults.
TEST(FtpRecord, ShortFileFillsOnlyWhatItHas) {
    TempFolder dir;
    const std::string path = dir.File("short.MyIni");
    const TFtpSettings saved = Sample();
    const std::string full = EncodeFtpRecord(saved);
    const std::string* slots[] = {&saved.Folder, &saved.Server, &saved.Login, &saved.Password};
    const std::set<std::size_t> throughFile = {0, 1, 255, 256, 257, 270, 700, 1024, 1025};
    for (std::size_t length = 0; length <= FtpRecordSize; ++length) {
        TFtpSettings read;
        if (throughFile.count(length)) {
            TempFolder::Put(path, full.substr(0, length));
            ASSERT_TRUE(ReadFtpSettingsFile(path, read));
        } else {
            DecodeFtpRecord(std::string_view(full).substr(0, length), read);
        }
        const std::string* got[] = {&read.Folder, &read.Server, &read.Login, &read.Password};
        for (std::size_t slot = 0; slot < 4; ++slot) {
            const std::size_t start = slot * TextSlotSize;
            const std::size_t have = length > start + 1 ? length - start - 1 : 0;
            const std::string expected = length > start ? slots[slot]->substr(0, have) : std::string();
            ASSERT_EQ(*got[slot], expected) << "length " << length << " slot " << slot;
        }
        ASSERT_EQ(read.Passive, length == FtpRecordSize ? saved.Passive : true) << "length " << length;
    }
}

TEST(FtpRecord, MissingOrUnopenableFileLeavesTheValues) {
    TempFolder dir;
    const std::string readOnly = dir.File("ro.MyIni");
    TempFolder::Put(readOnly, EncodeFtpRecord(Sample()));
    chmod(readOnly.c_str(), 0444);
    std::filesystem::create_directory(dir.File("folder.MyIni"));

    for (const std::string& path : {dir.File("missing.MyIni"), readOnly, dir.File("folder.MyIni")}) {
        TFtpSettings values;
        values.Server = "untouched";
        EXPECT_FALSE(ReadFtpSettingsFile(path, values)) << path;
        EXPECT_EQ(values.Server, "untouched");
        EXPECT_TRUE(values.Passive);
    }
}

TEST(FtpRecord, LongTextsAreCutToTheSlot) {
    SKIP_WHERE_A_BYTE_IS_A_CHARACTER();
    TFtpSettings s = Sample();
    s.Server = std::string(300, 'a');
    s.Login = std::string(254, 'b') + "ж"; // the letter would straddle the slot's end
    TFtpSettings read;
    DecodeFtpRecord(EncodeFtpRecord(s), read);
    EXPECT_EQ(read.Server, std::string(255, 'a'));
    EXPECT_EQ(read.Login, std::string(254, 'b'));
}

TEST(FtpRecord, RewriteLeavesNothingOfALongerEarlierValue) {
    TempFolder dir;
    const std::string path = dir.File("x.MyIni");
    TFtpSettings s = Sample();
    s.Password = EncryptPassword("a-much-longer-old-password");
    ASSERT_TRUE(WriteFtpSettingsFile(path, s));
    s.Password = EncryptPassword("new");
    ASSERT_TRUE(WriteFtpSettingsFile(path, s));
    const std::string bytes = TempFolder::Get(path);
    EXPECT_EQ(bytes.substr(768 + 1 + 3, 252), std::string(252, '\0'));
}

TEST(FtpRecord, CreateFailureIsReportedWriteFailureIsNot) {
    TempFolder dir;
    const std::string readOnly = dir.File("ro.MyIni");
    TempFolder::Put(readOnly, "old");
    chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(WriteFtpSettingsFile(dir.File("no/such/folder.MyIni"), Sample()));
    EXPECT_FALSE(WriteFtpSettingsFile(readOnly, Sample()));
    EXPECT_EQ(TempFolder::Get(readOnly), "old");
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteFtpSettingsFile("/dev/full", Sample())); // created, but nothing written
    }
}

TEST(OptionRecord, RoundTripAndShortFiles) {
    TempFolder dir;
    const std::string path = dir.File("x.option");
    TCopyOptions on;
    on.PowerOff = true;
    on.NotifyDone = true;
    on.TrayOnStart = true;
    ASSERT_TRUE(WriteCopyOptionsFile(path, on));
    EXPECT_EQ(TempFolder::Get(path), std::string("\1\0\1\0\1", 5));

    const struct {
        std::string bytes;
        TCopyOptions expected;
    } cases[] = {
        {"", {}},
        {std::string("\x05", 1), {true, false, false, false, false}},
        {std::string("\0\xff\0", 3), {false, true, false, false, false}},
        {std::string("\1\1\1\1\1\1\1", 7), {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        TempFolder::Put(path, c.bytes);
        TCopyOptions read;
        ASSERT_TRUE(ReadCopyOptionsFile(path, read));
        EXPECT_EQ(EncodeCopyOptions(read), EncodeCopyOptions(c.expected)) << c.bytes.size() << " bytes";
    }
}

TEST(OptionRecord, ReadOnlyFileIsSkippedAndCreateFailureIsQuiet) {
    TempFolder dir;
    const std::string path = dir.File("ro.option");
    TempFolder::Put(path, std::string("\1\1\1\1\1", 5));
    chmod(path.c_str(), 0444);
    TCopyOptions read;
    EXPECT_FALSE(ReadCopyOptionsFile(path, read));
    EXPECT_FALSE(read.PowerOff);
    EXPECT_FALSE(ReadCopyOptionsFile(dir.File("missing.option"), read));
    EXPECT_FALSE(WriteCopyOptionsFile(path, TCopyOptions{}));
    EXPECT_FALSE(WriteCopyOptionsFile(dir.File("no/such/x.option"), TCopyOptions{}));
}

TEST(OptionRecord, WriteErrorAfterCreateRaises) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no device that refuses writes";
    EXPECT_THROW(WriteCopyOptionsFile("/dev/full", TCopyOptions{}), EInOutError);
}

} // namespace
