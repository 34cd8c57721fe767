// The browse, tray and System, Service and Help commands on their own, given the program path.
#include "MenuCommandsFixture.h"
#include "shell/MainWindowCommands.h"

#include <utility>

namespace {

TEST_F(MenuCommands, AdministratorCommandStartsTheToolWithTheQuotedProgramAndEndsOnlyThen) {
    RunAsAdministrator(program());
    EXPECT_EQ(messages(), std::vector<QString>{local("Ошибка: Нет файла - " + folder() +
                                                     "Files/HOISTER , возможно его удалил антивирус")});
    EXPECT_EQ(script_.haltRequests(), 0);
    EXPECT_TRUE(runs_.requests().empty());

    script_.clear();
    WriteWholeFile(folder() + "Files/HOISTER", "#!/bin/sh\n");
    RunAsAdministrator(program());
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, folder() + "Files/HOISTER");
    EXPECT_EQ(runs_.requests()[0].parameters, "\"" + folder() + "ferrylo\"");
    EXPECT_EQ(runs_.requests()[0].workingFolder, folder() + "Files/");
    EXPECT_EQ(script_.haltRequests(), 1);

    shell::testing::RunRecorder cannotStart(false);
    RunAsAdministrator(program());
    EXPECT_EQ(messages(), std::vector<QString>{local("Ошибка: Не могу запустить - " + folder() + "Files/HOISTER")});
    EXPECT_EQ(script_.haltRequests(), 1); // still running
}

TEST_F(MenuCommands, HelpOpensThePageOrNamesItWithOneTrailingBlank) {
    OpenHelp();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], local("Ошибка: Нет файла - " + folder() + "Files/ferrylo.html "));
    EXPECT_TRUE(runs_.requests().empty());

    WriteWholeFile(folder() + "Files/ferrylo.html", "<html></html>");
    OpenHelp();
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, folder() + "Files/ferrylo.html");
    EXPECT_EQ(runs_.requests()[0].parameters, "");
    EXPECT_EQ(messages().size(), 1u);
    {
        shell::testing::RunRecorder nothingOpensIt(false);
        OpenHelp();
        ASSERT_EQ(messages().size(), 2u);
        EXPECT_EQ(messages()[1], local("Ошибка: Не могу открыть - " + folder() + "Files/ferrylo.html"));
    }

    // The Send To editor is started without a check and without a message when missing.
    StartSendToEditor();
    ASSERT_EQ(runs_.requests().size(), 2u);
    EXPECT_EQ(runs_.requests()[1].file, folder() + "Files/Menuwright");
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(MenuCommands, ShortcutsAreNamedAfterTheProgramAndNeverDoubled) {
    AddToSendTo(program());
    AddToSendTo(program());
    const QStringList sendTo = QDir(local(env_.sendTo())).entryList(QDir::Files);
    EXPECT_EQ(sendTo, QStringList{QStringLiteral("ferrylo.desktop")});
    EXPECT_NE(ReadWholeFile(env_.sendTo() + "ferrylo.desktop").find("Exec=\"" + folder() + "ferrylo\" %F"),
              std::string::npos);

    PutShortcutOnDesktop(program());
    EXPECT_NE(ReadWholeFile(env_.desktop() + "ferrylo.desktop").find(folder() + "ferrylo"), std::string::npos);
    WriteWholeFile(env_.desktop() + "ferrylo.desktop", "kept");
    PutShortcutOnDesktop(program());
    EXPECT_EQ(ReadWholeFile(env_.desktop() + "ferrylo.desktop"), "kept");
    EXPECT_TRUE(messages().empty());
}

TEST_F(MenuCommands, BrowsingGivesTheSourceFieldsOrSaysNothingWasChosen) {
    script_.folder(std::nullopt);
    EXPECT_FALSE(BrowseSourceFolder(nullptr));
    script_.file(std::nullopt);
    EXPECT_FALSE(BrowseSourceFile(nullptr));
    EXPECT_EQ(messages(), (std::vector<QString>{QStringLiteral("Папка не выбрана"), QStringLiteral("Файл не выбран")}));

    script_.folder(QStringLiteral("/srv/Выгрузка/"));
    const auto folder = BrowseSourceFolder(nullptr);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->folder, QStringLiteral("/srv/Выгрузка"));
    EXPECT_EQ(folder->file, QStringLiteral("*.*"));

    const std::pair<QString, std::pair<QString, QString>> files[] = {
        {QStringLiteral("/srv/data/отчёт.txt"), {QStringLiteral("/srv/data"), QStringLiteral("отчёт.txt")}},
        {QStringLiteral("/a.txt"), {QStringLiteral("/"), QStringLiteral("a.txt")}}, // the root keeps its "/"
    };
    for (const auto& [chosen, fields] : files) {
        script_.file(chosen);
        const auto file = BrowseSourceFile(nullptr);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->folder, fields.first);
        EXPECT_EQ(file->file, fields.second);
    }
    EXPECT_EQ(messages().size(), 2u);
}

} // namespace
