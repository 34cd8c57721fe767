// The browse, tray and System, Service and Help commands, with the program in a temporary folder
// whose Files/ holds only harmless stand-ins: the commands on their own, then the main window's
// handlers that pass them its fields and windows.
#include "ShellEnvironment.h"
#include "app/FormSet.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm6.h"
#include "shell/MainWindowCommands.h"
#include "shell/RunProgram.h"
#include "shell/TJvTrayIcon.h"
#include "ui/UiLayer.h"
#include "util/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MenuCommands : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program_.path() + QStringLiteral("/Files"));
        SetProgramFolder(program());
    }

    std::string folder() const { return program_.path().toStdString() + "/"; }
    std::string program() const { return folder() + "ferrylo"; }
    QString local(const std::string& text) const { return QString::fromLocal8Bit(text); }
    // The messages shown, without the pickers that the script also records.
    std::vector<QString> messages() const {
        std::vector<QString> texts;
        for (const auto& shown : script_.shown())
            if (shown.kind == ui::testing::Shown::Kind::Information)
                texts.push_back(shown.text);
        return texts;
    }

    ShellEnvironment env_;
    QTemporaryDir program_;
    ui::testing::Script script_;
    shell::testing::RunRecorder runs_;
};

// The same program folder with the seven windows around it.
class MainWindowMenus : public MenuCommands {
protected:
    void SetUp() override {
        MenuCommands::SetUp();
        forms_ = std::make_unique<FormSet>(TStartup{QString::fromStdString(program()), {}});
        script_.clear();
    }
    void TearDown() override { forms_.reset(); }

    TForm1& form() { return forms_->main(); }

    std::unique_ptr<FormSet> forms_;
};

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

    // The Send To editor is started without a check and without a message when missing.
    StartSendToEditor();
    ASSERT_EQ(runs_.requests().size(), 2u);
    EXPECT_EQ(runs_.requests()[1].file, folder() + "Files/Menuwright");
    EXPECT_EQ(messages().size(), 1u);
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

TEST_F(MainWindowMenus, TrayButtonHidesAndAClickOnTheIconRestoresAndRemovesIt) {
    form().show();
    bool trayThere = true;
    form().JvTrayIcon1->setTrayAvailableProbe([&] { return trayThere; });
    form().Button4Click();
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(form().JvTrayIcon1->Active());

    form().JvTrayIcon1->simulateActivation(QSystemTrayIcon::MiddleClick);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().isVisible(); }, QApplication::doubleClickInterval() + 2000));
    EXPECT_FALSE(form().JvTrayIcon1->Active());

    // No notification area: the button only minimises, the window stays reachable.
    trayThere = false;
    form().Button4Click();
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(form().isMinimized());
}

TEST_F(MainWindowMenus, HandlersPassTheirFieldsProgramAndWindows) {
    form().Edit1->setText(QStringLiteral("before"));
    script_.folder(std::nullopt);
    form().SpeedButton2Click();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("before")) << "nothing chosen leaves the fields";
    script_.file(QStringLiteral("/srv/data/a.txt"));
    form().SpeedButton3Click();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/srv/data"));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("a.txt"));

    form().N3Click();
    EXPECT_NE(ReadWholeFile(env_.sendTo() + "ferrylo.desktop").find(program()), std::string::npos);

    form().N6Click();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form3->isModal());
    form().N8Click();
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_FALSE(Form6->isModal());
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Папка не выбрана")});
}

} // namespace
