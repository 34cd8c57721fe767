// Where the Send To entries and the desktops are, as folder texts with exactly one trailing "/".
#include "ShellEnvironment.h"
#include "shell/FolderPicker.h"
#include "shell/ShellFolders.h"

#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include "tests/support/EightBitText.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool EndsInExactlyOneSeparator(const std::string& folder) {
    return folder.size() >= 2 && folder.back() == kSeparator && folder[folder.size() - 2] != kSeparator;
}

#ifdef _WIN32
TEST(ShellFolders, SendToAndTheDesktopsComeFromTheShellFoldersWithOneTrailingSeparator) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    ShellEnvironment env;
    const std::string sendTo = env.home() + "SendTo";
    const std::string desktop = env.home() + "\xd0\xe0\xe1\xee\xf7\xe8\xe9 \xf1\xf2\xee\xeb"; // "Рабочий стол"
    const std::string shared = env.home() + "Public Desktop";
    const struct {
        std::optional<std::string> sendTo, desktop, common;
        std::string expectedSendTo, expectedDesktop, expectedCommon;
    } cases[] = {
        {sendTo, desktop, shared, sendTo + "\\", desktop + "\\", shared + "\\"},
        {sendTo + "\\\\", desktop + "\\", shared + "\\", sendTo + "\\", desktop + "\\", shared + "\\"},
        {std::nullopt, desktop, std::nullopt, "", desktop + "\\", desktop + "\\"}, // no common desktop: the user's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedSendTo + " " + c.expectedCommon);
        env.setShellFolder(false, L"SendTo", c.sendTo);
        env.setShellFolder(false, L"Desktop", c.desktop);
        env.setShellFolder(true, L"Common Desktop", c.common);
        EXPECT_EQ(SendToFolder(), c.expectedSendTo);
        EXPECT_EQ(DesktopFolder(), c.expectedDesktop);
        EXPECT_EQ(CommonDesktopFolder(), c.expectedCommon);
        EXPECT_TRUE(EndsInExactlyOneSeparator(CommonDesktopFolder()));
    }
}
#else
TEST(ShellFolders, SendToFollowsTheDataHomeWithOneTrailingSeparator) {
    ShellEnvironment env;
    const std::string data = env.home() + "data";
    struct Case {
        QByteArray dataHome;
        std::string expected;
    } cases[] = {
        {QByteArray::fromStdString(data), data + "/Thunar/sendto/"},
        {QByteArray::fromStdString(data + "//"), data + "/Thunar/sendto/"},        // already ends in separators
        {QByteArray(), env.home() + ".local/share/Thunar/sendto/"},                // unset: the default
        {QByteArray("relative/data"), env.home() + ".local/share/Thunar/sendto/"}, // relative: ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataHome.toStdString());
        if (c.dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(SendToFolder(), c.expected);
    }
}

TEST(ShellFolders, DesktopsEndInOneSeparatorAndTheCommonOneFallsBackToTheUsers) {
    ShellEnvironment env;
    EXPECT_EQ(DesktopFolder(), env.desktop());
    EXPECT_EQ(CommonDesktopFolder(), DesktopFolder());

    // A desktop configured with a trailing separator of its own still gets exactly one.
    QDir().mkpath(QString::fromStdString(env.home() + "config"));
    QDir().mkpath(QString::fromStdString(env.home() + "Рабочий стол"));
    WriteWholeFile(env.home() + "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Рабочий стол/\"\n");
    EXPECT_EQ(DesktopFolder(), env.home() + "Рабочий стол/");
    EXPECT_TRUE(EndsInExactlyOneSeparator(DesktopFolder()));
    EXPECT_EQ(CommonDesktopFolder(), DesktopFolder());
}
#endif

TEST(FolderPicker, AnswersTheChosenFolderWithoutTrailingSeparatorOrNotChosen) {
    ui::testing::Script script;
    QWidget owner;
    struct Case {
        std::optional<QString> answer;
        bool chosen;
        std::string path;
    } cases[] = {
        {QStringLiteral("/srv/upload/"), true, "/srv/upload"},
        {QStringLiteral("/srv/Выгрузка"), true, "/srv/Выгрузка"},
        {QStringLiteral("/"), true, "/"}, // the root keeps its separator
        {QString(), true, ""},            // chosen, but no file-system path
        {std::nullopt, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        script.folder(c.answer);
        const TFolderChoice choice = BrowseForFolder(&owner);
        EXPECT_EQ(choice.chosen, c.chosen);
        // The program's 8-bit text with native separators.
        EXPECT_EQ(choice.path, ui::ToSystemText(QDir::toNativeSeparators(QString::fromStdString(c.path))));
        ASSERT_FALSE(script.shown().empty());
        EXPECT_EQ(script.shown().back().caption, QStringLiteral("Select Folder"));
        EXPECT_EQ(script.shown().back().owner, &owner);
    }
}

} // namespace
