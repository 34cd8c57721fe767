// Where the Send To entries and the desktops are, as folder texts with exactly one trailing "/".
#include "ShellEnvironment.h"
#include "shell/FolderPicker.h"
#include "shell/ShellFolders.h"

#include "ui/UiLayer.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

bool EndsInExactlyOneSlash(const std::string& folder) {
    return folder.size() >= 2 && folder.back() == '/' && folder[folder.size() - 2] != '/';
}

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
    EXPECT_TRUE(EndsInExactlyOneSlash(DesktopFolder()));
    EXPECT_EQ(CommonDesktopFolder(), DesktopFolder());
}

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
        EXPECT_EQ(choice.path, c.path);
        ASSERT_FALSE(script.shown().empty());
        EXPECT_EQ(script.shown().back().caption, QStringLiteral("Select Folder"));
        EXPECT_EQ(script.shown().back().owner, &owner);
    }
}

} // namespace
