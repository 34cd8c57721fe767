// The browse, tray and System, Service and Help commands on their own, given the program path.
#include "MenuCommandsFixture.h"
#include "shell/MainWindowCommands.h"

#include <utility>

namespace {

TEST_F(MenuCommands, AdministratorCommandStartsTheToolWithTheQuotedProgramAndEndsOnlyThen) {
    RunAsAdministrator(program());
    const std::string hoister = sibling(std::string("HOISTER") + kProgramSuffix);
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Ошибка: Нет файла - ") + local(hoister) +
                                               QStringLiteral(" , возможно его удалил антивирус")});
    EXPECT_EQ(script_.haltRequests(), 0);
    EXPECT_TRUE(runs_.requests().empty());

    script_.clear();
    WriteWholeFile(hoister, "#!/bin/sh\n");
    RunAsAdministrator(program());
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, hoister);
    EXPECT_EQ(runs_.requests()[0].parameters, "\"" + program() + "\"");
    EXPECT_EQ(runs_.requests()[0].workingFolder, sibling(""));
    EXPECT_EQ(script_.haltRequests(), 1);

    shell::testing::RunRecorder cannotStart(false);
    RunAsAdministrator(program());
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Ошибка: Не могу запустить - ") + local(hoister)});
    EXPECT_EQ(script_.haltRequests(), 1); // still running
}

TEST_F(MenuCommands, HelpOpensThePageOrNamesItWithOneTrailingBlank) {
    OpenHelp();
    ASSERT_EQ(messages().size(), 1u);
    const std::string help = sibling(kHelpName);
    EXPECT_EQ(messages()[0], QStringLiteral("Ошибка: Нет файла - ") + local(help) + QStringLiteral(" "));
    EXPECT_TRUE(runs_.requests().empty());

    WriteWholeFile(help, "ITSF");
    OpenHelp();
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, help);
    EXPECT_EQ(runs_.requests()[0].parameters, "");
    EXPECT_EQ(messages().size(), 1u);
    {
        shell::testing::RunRecorder nothingOpensIt(false);
        OpenHelp();
        ASSERT_EQ(messages().size(), 2u);
        EXPECT_EQ(messages()[1], QStringLiteral("Ошибка: Не могу открыть - ") + local(help));
    }

    // The Send To editor is started without a check and without a message when missing.
    StartSendToEditor();
    ASSERT_EQ(runs_.requests().size(), 2u);
    EXPECT_EQ(runs_.requests()[1].file, sibling(std::string("Menuwright") + kProgramSuffix));
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(MenuCommands, ShortcutsAreNamedAfterTheProgramAndNeverDoubled) {
    AddToSendTo(program());
    AddToSendTo(program());
    WriteWholeFile(program(), "MZ"); // the shell links only to what is there
    AddToSendTo(program());
    AddToSendTo(program());
    const std::string shortcut = std::string("ferrylo") + kShortcutSuffix;
    const QStringList sendTo = QDir(local(env_.sendTo())).entryList(QDir::Files | QDir::System);
    EXPECT_EQ(sendTo, QStringList{local(shortcut)});
    EXPECT_TRUE(StartsProgram(env_.sendTo() + shortcut, program()));

    PutShortcutOnDesktop(program());
    EXPECT_TRUE(StartsProgram(env_.desktop() + shortcut, program()));
    WriteWholeFile(env_.desktop() + shortcut, "kept");
    PutShortcutOnDesktop(program());
    EXPECT_EQ(ReadWholeFile(env_.desktop() + shortcut), "kept");
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
    EXPECT_EQ(folder->folder, QDir::toNativeSeparators(QStringLiteral("/srv/Выгрузка")));
    EXPECT_EQ(folder->file, QStringLiteral("*.*"));

    const std::pair<QString, std::pair<QString, QString>> files[] = {
        {QStringLiteral("/srv/data/отчёт.txt"), {QStringLiteral("/srv/data"), QStringLiteral("отчёт.txt")}},
        {QStringLiteral("/a.txt"), {QStringLiteral("/"), QStringLiteral("a.txt")}}, // the root keeps its "/"
    };
    for (const auto& [chosen, fields] : files) {
        script_.file(chosen);
        const auto file = BrowseSourceFile(nullptr);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->folder, QDir::toNativeSeparators(fields.first));
        EXPECT_EQ(file->file, fields.second);
    }
    EXPECT_EQ(messages().size(), 2u);
}

} // namespace
