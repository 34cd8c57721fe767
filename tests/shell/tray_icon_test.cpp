// The tray component: single clicks of any button after the double-click interval, nothing for a
// double click, hiding and coming back, the shown tooltip and picture, and never a window that
// cannot be reached when there is no notification area.
#include "shell/TJvTrayIcon.h"

#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QIcon Filled(Qt::GlobalColor colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// The main window's use of the component: hide then activate; a click restores and deactivates.
class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        main_.show();
        other_.show();
        tray_.OnClick = [this](TJvTrayIcon* sender, Qt::MouseButton button, Qt::KeyboardModifiers, QPoint) {
            EXPECT_EQ(sender, &tray_);
            clicks_.push_back(button);
            tray_.RestoreFromTray();
            tray_.SetActive(false);
        };
    }
    void hideToTray() {
        tray_.HideToTray();
        tray_.SetActive(true);
    }
    void withTray(bool available) {
        trayAvailable_ = available;
        tray_.setTrayAvailableProbe([this] { return trayAvailable_; });
    }
    // Longer than the double-click interval, with a bound.
    bool waitForClick() {
        return QTest::qWaitFor([this] { return !clicks_.empty(); }, QApplication::doubleClickInterval() + 2000);
    }

    QWidget main_;
    QWidget other_; // a second window of the program, hidden and shown with the main one
    TJvTrayIcon tray_{&main_};
    std::vector<Qt::MouseButton> clicks_;
    bool trayAvailable_ = true;
};

TEST_F(TrayTest, HidingTakesEveryWindowAndASingleClickOfAnyButtonBringsThemBack) {
    const std::pair<QSystemTrayIcon::ActivationReason, Qt::MouseButton> clicks[] = {
        {QSystemTrayIcon::Trigger, Qt::LeftButton},
        {QSystemTrayIcon::Context, Qt::RightButton},
        {QSystemTrayIcon::MiddleClick, Qt::MiddleButton},
    };
    withTray(true);
    for (const auto& [reason, button] : clicks) {
        SCOPED_TRACE(button);
        clicks_.clear();
        hideToTray();
        EXPECT_FALSE(main_.isVisible());
        EXPECT_FALSE(other_.isVisible());
        EXPECT_FALSE(tray_.Visibility() & tvVisibleTaskBar);
        EXPECT_TRUE(tray_.Active());

        tray_.simulateActivation(reason);
        EXPECT_TRUE(clicks_.empty()); // not before the double-click interval
        ASSERT_TRUE(waitForClick());
        EXPECT_EQ(clicks_, std::vector<Qt::MouseButton>{button});
        EXPECT_TRUE(main_.isVisible());
        EXPECT_FALSE(main_.isMinimized());
        EXPECT_TRUE(other_.isVisible());
        EXPECT_TRUE(tray_.Visibility() & tvVisibleTaskBar);
        EXPECT_FALSE(tray_.Active());
    }
}

TEST_F(TrayTest, ADoubleClickReportsNothingAndTheProgramStaysHidden) {
    withTray(true);
    hideToTray();
    tray_.simulateActivation(QSystemTrayIcon::Trigger);
    tray_.simulateActivation(QSystemTrayIcon::DoubleClick);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_TRUE(clicks_.empty());
    EXPECT_FALSE(main_.isVisible());

    // Two quick clicks without a double-click report still count once.
    tray_.simulateActivation(QSystemTrayIcon::Trigger);
    tray_.simulateActivation(QSystemTrayIcon::Context);
    ASSERT_TRUE(waitForClick());
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_EQ(clicks_, std::vector<Qt::MouseButton>{Qt::RightButton}); // the last button is reported
}

TEST_F(TrayTest, ModalBoxIsNotHiddenBecauseHidingWouldCancelIt) {
    withTray(true);
    QDialog box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    hideToTray();
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(main_.isVisible());
}

TEST_F(TrayTest, WithoutANotificationAreaHidingOnlyMinimisesAndKeepsState) {
    withTray(false);
    hideToTray();
    EXPECT_TRUE(main_.isVisible()); // still on the task bar
    EXPECT_TRUE(main_.isMinimized());
    EXPECT_TRUE(tray_.Active());
    EXPECT_FALSE(tray_.Visibility() & tvVisibleTaskBar);

    tray_.simulateActivation(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(waitForClick());
    EXPECT_FALSE(main_.isMinimized());
    EXPECT_FALSE(tray_.Active());
}

TEST_F(TrayTest, WindowsComeBackMinimisedWhenTheAreaGoesAwayOrNoIconWasShown) {
    withTray(true);
    hideToTray();
    tray_.checkTray();
    EXPECT_FALSE(main_.isVisible()); // area still there: stays hidden

    trayAvailable_ = false;
    tray_.checkTray();
    EXPECT_TRUE(main_.isVisible());
    EXPECT_TRUE(main_.isMinimized());
    EXPECT_TRUE(other_.isVisible());
    EXPECT_TRUE(tray_.Visibility() & tvVisibleTaskBar);
    EXPECT_TRUE(tray_.Active()); // the icon comes back with the area

    // Hidden, but nobody made the icon active: nothing to click, so the windows return.
    TJvTrayIcon silent(&main_);
    silent.setTrayAvailableProbe([] { return true; });
    main_.showNormal();
    silent.HideToTray();
    EXPECT_FALSE(main_.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([this] { return main_.isVisible(); }, 3000)); // by the periodic check
}

TEST(TrayHint, OnlyThePartBeforeTheFirstBarIsShownCutTo127Characters) {
    QWidget main;
    TJvTrayIcon tray(&main);
    const QString cyrillic(130, QChar(0x0416));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x9A\xA2"); // outside the basic plane
    struct Case {
        QString hint, shown;
    } cases[] = {
        {QStringLiteral("Проверка связи с 127.0.0.1"), QStringLiteral("Проверка связи с 127.0.0.1")},
        {QStringLiteral("first|second|third"), QStringLiteral("first")},
        {QString(200, QLatin1Char('a')), QString(127, QLatin1Char('a'))},
        {cyrillic + QStringLiteral("|x"), cyrillic.left(127)},
        {QString(126, QLatin1Char('a')) + emoji + QStringLiteral("b"), QString(126, QLatin1Char('a')) + emoji},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hint.toStdString());
        tray.SetHint(c.hint);
        EXPECT_EQ(tray.Hint(), c.hint);
        EXPECT_EQ(tray.DisplayedHint(), c.shown);
    }
}

TEST(TrayPicture, ShownAtOnceWhileActiveOtherwiseAtTheNextShowing) {
    QWidget main;
    TJvTrayIcon tray(&main);
    EXPECT_TRUE(tray.Icon().isNull());

    const QIcon red = Filled(Qt::red), blue = Filled(Qt::blue);
    tray.SetIcon(red);
    EXPECT_TRUE(tray.DisplayedIcon().isNull()); // not active: nothing shown yet
    tray.SetActive(true);
    EXPECT_EQ(tray.DisplayedIcon().cacheKey(), red.cacheKey());
    tray.SetIcon(blue);
    EXPECT_EQ(tray.DisplayedIcon().cacheKey(), blue.cacheKey());

    tray.SetActive(false);
    tray.SetIcon(red);
    EXPECT_EQ(tray.DisplayedIcon().cacheKey(), blue.cacheKey());
    tray.SetActive(true);
    EXPECT_EQ(tray.DisplayedIcon().cacheKey(), red.cacheKey());

    // An empty picture means the application's own icon.
    const QIcon application = Filled(Qt::green);
    const QIcon saved = QApplication::windowIcon();
    QApplication::setWindowIcon(application);
    tray.SetIcon(QIcon());
    EXPECT_EQ(tray.DisplayedIcon().pixmap(32).toImage().pixelColor(5, 5), QColor(Qt::green));
    QApplication::setWindowIcon(saved);
}

} // namespace
