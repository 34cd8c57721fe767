#include "settings/PasswordCipher.h"
#include "settings/Settings.h"
#include "util/ProgramFolder.h"

#include "tests/support/EightBitText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(PasswordCipher, KnownVector) {
    EXPECT_EQ(EncryptPassword("s3cret"), Bytes({0x72, 0x40, 0xa1, 0x60, 0x62, 0xb2}));
    EXPECT_EQ(DecryptPassword(Bytes({0x72, 0x40, 0xa1, 0x60, 0x62, 0xb2})), "s3cret");
    EXPECT_EQ(EncryptPassword(""), "");
}

// Every length a slot can hold, every byte value: deciphering gives the text back.
TEST(PasswordCipher, RoundTripsUpTo255Bytes) {
    std::mt19937 random(20297);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t length = 0; length <= 255; ++length) {
        std::string plain(length, '\0');
        for (char& c : plain)
            c = static_cast<char>(byte(random));
        const std::string enciphered = EncryptPassword(plain);
        ASSERT_EQ(enciphered.size(), length);
        ASSERT_EQ(DecryptPassword(enciphered), plain) << "length " << length;
        if (length >= 4) {
            EXPECT_NE(enciphered, plain);
        }
    }
}

TEST(PasswordRule, WhichTextBecomesThePassword) {
    const struct {
        const char* field;
        const char* before;
        const char* after;
    } cases[] = {
        {"", "old", ""},                   // cleared box: no password
        {"*******", "s3cret7", "s3cret7"}, // the mask start-up put there
        {"*", "s3cret7", "s3cret7"},
        {"********", "s3cret7", "s3cret7"},
        {"*******x", "s3cret7", "*******x"}, // one more character: the whole box is the password
        {"new", "s3cret7", "new"},
        {"пароль", "", "пароль"},
    };
    for (const auto& c : cases) {
        std::string current = c.before;
        ApplyPasswordRule(c.field, current);
        EXPECT_EQ(current, c.after) << "field '" << c.field << "'";
    }
}

TEST(PasswordRule, MaskHasOneStarPerCharacter) {
    EXPECT_EQ(PasswordMask(""), "");
    EXPECT_EQ(PasswordMask("s3cret7"), "*******");
    EXPECT_EQ(PasswordMask(kCyrillicPassword), "******");
}

TEST(FillFtpSettings, CutsEachTextToASlotAndEnciphersThePassword) {
    SKIP_WHERE_A_BYTE_IS_A_CHARACTER();
    TFtpSettings s;
    const std::string longServer(300, 's');
    const std::string cyrillicLogin = "л" + std::string(252, 'x') + "жж"; // byte 255 is inside a letter
    const std::string longPassword = std::string(254, 'p') + "ё";
    FillFtpSettings(s, "/incoming", longServer, cyrillicLogin, longPassword, false);
    EXPECT_EQ(s.Folder, "/incoming");
    EXPECT_EQ(s.Server, std::string(255, 's'));
    EXPECT_EQ(s.Login, "л" + std::string(252, 'x'));
    EXPECT_EQ(DecryptPassword(s.Password), std::string(254, 'p'));
    EXPECT_FALSE(s.Passive);

    FillFtpSettings(s, "", "", "", "", true);
    EXPECT_EQ(s.Password, "");
    EXPECT_TRUE(s.Passive);
}

TEST(SettingsBase, FilesAreBasePlusSuffix) {
    SetSettingsBase("/opt/tools/Uploader");
    EXPECT_EQ(SettingsFile(MyIniSuffix), "/opt/tools/Uploader.MyIni");
    EXPECT_EQ(SettingsFile(IniInpSuffix), "/opt/tools/Uploader.iniInp");
    EXPECT_EQ(SettingsFile(IniSearchSuffix), "/opt/tools/Uploader.inisearch");
    EXPECT_EQ(SettingsFile(PathSuffix), "/opt/tools/Uploader.path");
    EXPECT_EQ(SettingsFile(OptionSuffix), "/opt/tools/Uploader.option");

#ifdef _WIN32
    const std::string program = "C:\\srv\\ferrylo\\ferrylo.exe", besideIt = "C:\\srv\\ferrylo\\ferrylo";
#else
    const std::string program = "/srv/ferrylo/ferrylo.bin", besideIt = "/srv/ferrylo/ferrylo";
#endif
    SetProgramFolder(program);
    EXPECT_EQ(SettingsBaseBesideProgram(program), besideIt);
}

} // namespace
