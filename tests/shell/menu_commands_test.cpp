// The main window's browse buttons, tray handlers and System, Service and Help commands, with the
// program in a temporary folder whose Files/ holds only harmless stand-ins.
#include "ShellEnvironment.h"
#include "app/FormSet.h"
#include "ui/UiLayer.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm6.h"
#include "shell/RunProgram.h"
#include "shell/TJvTrayIcon.h"

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
        forms_ = std::make_unique<FormSet>(TStartup{program_.filePath(QStringLiteral("ferrylo")), {}});
        script_.clear();
    }
    void TearDown() override { forms_.reset(); }

    TForm1& form() { return forms_->main(); }
    std::string folder() const { return program_.path().toStdString() + "/"; }
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
    std::unique_ptr<FormSet> forms_;
};

TEST_F(MenuCommands, AdministratorCommandStartsTheToolWithTheQuotedProgramAndEndsOnlyThen) {
    form().N2Click();
    EXPECT_EQ(messages(), std::vector<QString>{local("Ошибка: Нет файла - " + folder() +
                                                     "Files/HOISTER , возможно его удалил антивирус")});
    EXPECT_EQ(script_.haltRequests(), 0);
    EXPECT_TRUE(runs_.requests().empty());

    script_.clear();
    WriteWholeFile(folder() + "Files/HOISTER", "#!/bin/sh\n");
    form().N2Click();
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, folder() + "Files/HOISTER");
    EXPECT_EQ(runs_.requests()[0].parameters, "\"" + folder() + "ferrylo\"");
    EXPECT_EQ(runs_.requests()[0].workingFolder, folder() + "Files/");
    EXPECT_EQ(script_.haltRequests(), 1);
}

TEST_F(MenuCommands, HelpOpensThePageOrNamesItWithOneTrailingBlank) {
    form().N9Click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], local("Ошибка: Нет файла - " + folder() + "Files/ferrylo.html "));
    EXPECT_TRUE(runs_.requests().empty());

    WriteWholeFile(folder() + "Files/ferrylo.html", "<html></html>");
    form().N9Click();
    ASSERT_EQ(runs_.requests().size(), 1u);
    EXPECT_EQ(runs_.requests()[0].file, folder() + "Files/ferrylo.html");
    EXPECT_EQ(runs_.requests()[0].parameters, "");

    // The Send To editor is started without a check and without a message when missing.
    form().N10Click();
    ASSERT_EQ(runs_.requests().size(), 2u);
    EXPECT_EQ(runs_.requests()[1].file, folder() + "Files/Menuwright");
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(MenuCommands, ShortcutsAreNamedAfterTheProgramAndNeverDoubled) {
    form().N3Click();
    form().N3Click();
    const QStringList sendTo = QDir(local(env_.sendTo())).entryList(QDir::Files);
    EXPECT_EQ(sendTo, QStringList{QStringLiteral("ferrylo.desktop")});
    EXPECT_NE(ReadWholeFile(env_.sendTo() + "ferrylo.desktop").find("Exec=\"" + folder() + "ferrylo\" %F"),
              std::string::npos);

    form().N4Click();
    EXPECT_NE(ReadWholeFile(env_.desktop() + "ferrylo.desktop").find(folder() + "ferrylo"), std::string::npos);
    WriteWholeFile(env_.desktop() + "ferrylo.desktop", "kept");
    form().N4Click();
    EXPECT_EQ(ReadWholeFile(env_.desktop() + "ferrylo.desktop"), "kept");
    EXPECT_TRUE(messages().empty());
}

TEST_F(MenuCommands, BrowseButtonsFillTheSourceFieldsOrSayNothingWasChosen) {
    form().Edit1->setText(QStringLiteral("before"));
    form().Edit2->setText(QStringLiteral("before"));
    script_.folder(std::nullopt);
    form().SpeedButton2Click();
    script_.file(std::nullopt);
    form().SpeedButton3Click();
    EXPECT_EQ(messages(), (std::vector<QString>{QStringLiteral("Папка не выбрана"), QStringLiteral("Файл не выбран")}));
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("before"));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("before"));

    script_.folder(QStringLiteral("/srv/Выгрузка/"));
    form().SpeedButton2Click();
    EXPECT_EQ(form().Edit1->text(), QStringLiteral("/srv/Выгрузка"));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("*.*"));

    const std::pair<QString, std::pair<QString, QString>> files[] = {
        {QStringLiteral("/srv/data/отчёт.txt"), {QStringLiteral("/srv/data"), QStringLiteral("отчёт.txt")}},
        {QStringLiteral("/a.txt"), {QStringLiteral("/"), QStringLiteral("a.txt")}}, // the root keeps its "/"
    };
    for (const auto& [chosen, fields] : files) {
        script_.file(chosen);
        form().SpeedButton3Click();
        EXPECT_EQ(form().Edit1->text(), fields.first);
        EXPECT_EQ(form().Edit2->text(), fields.second);
    }
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(MenuCommands, TrayButtonHidesAndAClickOnTheIconRestoresAndRemovesIt) {
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

TEST_F(MenuCommands, EditorAndAboutWindowsOpenWithoutBeingModal) {
    form().N6Click();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form3->isModal());
    form().N8Click();
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_FALSE(Form6->isModal());
    EXPECT_TRUE(messages().empty());
}

} // namespace
