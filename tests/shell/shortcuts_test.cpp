// Shortcuts for the Send To menu and the desktop: the right place, the target with its folder as working folder,
// and no duplicates. Linux launchers also keep a target whole through their quoting rules and are executable.
#include "LauncherReading.h"
#include "ShellEnvironment.h"
#include "shell/Shortcuts.h"
#include "tests/support/EightBitText.h"
#include "util/NativePath.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Counted by the file system itself: the toolkit takes a Windows shell link for a symbolic link.
size_t FilesIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder)))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

#ifdef _WIN32
// Shell links: read back through the shell's own link object.
TEST(Shortcuts, SendToLinkStartsTheTargetInItsFolderAndStaysOneFile) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    ShellEnvironment env;
    for (const std::string& folder :
         {env.home() + "Program Files\\ferrylo\\",
          env.home() + "\xcc\xee\xe8 " + "\xef\xf0\xee\xe3\xf0\xe0\xec\xec\xfb\\"}) { // "Мои программы"
        const std::string target = folder + "ferrylo.exe";
        SCOPED_TRACE(target);
        QDir().mkpath(QString::fromLocal8Bit(folder));
        WriteWholeFile(target, "MZ");
        PlaceSendToShortcut("ferrylo.lnk", target);
        PlaceSendToShortcut("ferrylo.lnk", target);
        ASSERT_EQ(FilesIn(env.sendTo()), 1u);
        const auto link = ReadShellLink(env.sendTo() + "ferrylo.lnk");
        ASSERT_TRUE(link);
        EXPECT_EQ(link->target, target);
        EXPECT_EQ(link->arguments, "");
        EXPECT_EQ(link->workingFolder, folder);
    }
}

TEST(Shortcuts, AShortcutReplacesAnExistingFileAndAnUnwritablePlaceIsSilentlySkipped) {
    ShellEnvironment env;
    const std::string target = env.home() + "ferrylo.exe";
    WriteWholeFile(target, "MZ");
    const std::string link = env.desktop() + "ferrylo.lnk";
    WriteWholeFile(link, "old content");
    CreateShortcut(link, "/min", target);
    const auto facts = ReadShellLink(link);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->target, target);
    EXPECT_EQ(facts->arguments, "/min");

    EXPECT_NO_THROW(CreateShortcut(env.home() + "no such folder\\ferrylo.lnk", "", target));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(env.home() + "no such folder")));
}

TEST(Shortcuts, DesktopShortcutIsWrittenOnceAndNeverOverAnExistingOne) {
    ShellEnvironment env; // no desktop of all users: the user's own takes the link
    const std::string link = env.desktop() + "ferrylo.lnk";
    WriteWholeFile(env.home() + "ferrylo.exe", "MZ");

    PlaceDesktopShortcut("ferrylo.lnk", "", env.home() + "ferrylo.exe");
    EXPECT_EQ(FilesIn(env.desktop()), 1u);
    const auto facts = ReadShellLink(link);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->target, env.home() + "ferrylo.exe");

    WriteWholeFile(link, "the user's own link");
    PlaceDesktopShortcut("ferrylo.lnk", "", env.home() + "elsewhere.exe");
    EXPECT_EQ(ReadWholeFile(link), "the user's own link");
    EXPECT_EQ(FilesIn(env.desktop()), 1u);
}
#else
TEST(Shortcuts, SendToLauncherStartsTheTargetInItsFolderAndStaysOneFile) {
    ShellEnvironment env;
    // Blanks, Cyrillic, a quote, a dollar and a percent must all reach the program unchanged.
    const std::vector<std::string> targets = {"/opt/ferrylo/ferrylo", "/home/u/Мои программы/ferrylo",
                                              "/tmp/a \"b\" $HOME 100%/ferrylo", "/tmp/back\\slash/ferrylo"};
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        PlaceSendToShortcut("ferrylo.desktop", target); // makes the missing Send To folder
        PlaceSendToShortcut("ferrylo.desktop", target);
        const std::string link = env.sendTo() + "ferrylo.desktop";
        ASSERT_EQ(FilesIn(env.sendTo()), 1u);

        const std::string text = ReadWholeFile(link);
        EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
        auto keys = LauncherKeys(text);
        EXPECT_EQ(keys["Type"], "Application");
        EXPECT_EQ(keys["Name"], "ferrylo");
        EXPECT_EQ(ExecArguments(keys["Exec"]), (std::vector<std::string>{target, "%F"}));
        const std::string folder = target.substr(0, target.rfind('/') + 1);
        EXPECT_EQ(UnescapeValue(keys["Path"]), folder);
        EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isExecutable());
    }
}

TEST(Shortcuts, AShortcutReplacesAnExistingFileAndAnUnwritablePlaceIsSilentlySkipped) {
    ShellEnvironment env;
    const std::string link = env.desktop() + "ferrylo.desktop";
    WriteWholeFile(link, "old content");
    CreateShortcut(link, "", "/opt/ferrylo/ferrylo");
    EXPECT_NE(ReadWholeFile(link).find("Exec=\"/opt/ferrylo/ferrylo\" %F"), std::string::npos);

    EXPECT_NO_THROW(CreateShortcut(env.home() + "no such folder/ferrylo.desktop", "", "/opt/ferrylo/ferrylo"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(env.home() + "no such folder")));
}

TEST(Shortcuts, DesktopShortcutIsWrittenOnceAndNeverOverAnExistingOne) {
    ShellEnvironment env;
    const std::string link = env.desktop() + "ferrylo.desktop";

    PlaceDesktopShortcut("ferrylo.desktop", "", "/opt/ferrylo/ferrylo");
    EXPECT_EQ(FilesIn(env.desktop()), 1u);
    EXPECT_NE(ReadWholeFile(link).find("/opt/ferrylo/ferrylo"), std::string::npos);

    WriteWholeFile(link, "the user's own launcher");
    PlaceDesktopShortcut("ferrylo.desktop", "", "/elsewhere/ferrylo");
    EXPECT_EQ(ReadWholeFile(link), "the user's own launcher");
    EXPECT_EQ(FilesIn(env.desktop()), 1u);
}

#endif

} // namespace
