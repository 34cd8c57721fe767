// The main window's browse, tray and menu handlers: they pass the commands its fields, program
// path and windows.
#include "MenuCommandsFixture.h"
#include "app/FormSet.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm6.h"
#include "shell/TJvTrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace {

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
    EXPECT_EQ(form().Edit1->text(), QDir::toNativeSeparators(QStringLiteral("/srv/data")));
    EXPECT_EQ(form().Edit2->text(), QStringLiteral("a.txt"));

    WriteWholeFile(program(), "MZ"); // the shell links only to what is there
    form().N3Click();
    EXPECT_TRUE(StartsProgram(env_.sendTo() + "ferrylo" + kShortcutSuffix, program()));

    form().N6Click();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form3->isModal());
    form().N8Click();
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_FALSE(Form6->isModal());
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Папка не выбрана")});
}

} // namespace
