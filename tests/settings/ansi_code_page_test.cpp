// Windows only: the program's 8-bit text is the ANSI code page, so with the Russian one (Windows-1251) a
// Cyrillic login and destination folder typed in the window are stored one byte a letter, as older copies of
// the program and the servers read them.
#include "settings/RecordFiles.h"
#include "settings/Settings.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QString>

#include <windows.h>

namespace {

TEST(AnsiCodePage, CyrillicLoginAndFolderAreStoredInWindows1251) {
    if (GetACP() != 1251)
        GTEST_SKIP() << "needs the Russian code page (under Wine: LC_ALL=ru_RU.UTF-8)";
    // As the window hands them over: QString to the local 8-bit text.
    TFtpSettings typed;
    typed.Login = QStringLiteral("логин").toLocal8Bit().toStdString();
    typed.Folder = QStringLiteral("/папка").toLocal8Bit().toStdString();
    EXPECT_EQ(typed.Login, "\xeb\xee\xe3\xe8\xed");
    EXPECT_EQ(typed.Folder, "/\xef\xe0\xef\xea\xe0");

    const TempFolder folder;
    const std::string file = folder.File("ferrylo.MyIni");
    ASSERT_TRUE(WriteFtpSettingsFile(file, typed));
    const std::string stored = TempFolder::Get(file);
    EXPECT_EQ(stored.substr(0, 7), std::string("\x06/\xef\xe0\xef\xea\xe0", 7)); // the folder slot: length, bytes
    EXPECT_NE(stored.find("\x05\xeb\xee\xe3\xe8\xed"), std::string::npos);

    TFtpSettings read;
    ASSERT_TRUE(ReadFtpSettingsFile(file, read));
    EXPECT_EQ(read.Login, typed.Login);
    EXPECT_EQ(QString::fromLocal8Bit(read.Folder.c_str()), QStringLiteral("/папка"));
}

} // namespace
