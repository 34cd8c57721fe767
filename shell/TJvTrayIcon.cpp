#include "shell/TJvTrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QStyle>
#include <QWidget>

namespace {

constexpr int kTrayWatchIntervalMs = 1000;

// Windows that hiding takes along: visible top-level windows, but no modal box, because hiding
// a box that is open would end it as if it had been cancelled.
bool TakenAlongWhenHiding(const QWidget* window) {
    if (!window->isVisible() || window->windowModality() != Qt::NonModal)
        return false;
    const Qt::WindowType type = window->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

TJvTrayIcon::TJvTrayIcon(QWidget* mainWindow)
    : QObject(mainWindow), mainWindow_(mainWindow), tray_(new QSystemTrayIcon(this)),
      trayAvailable_(&QSystemTrayIcon::isSystemTrayAvailable) {
    connect(tray_, &QSystemTrayIcon::activated, this, &TJvTrayIcon::onActivated);
    clickTimer_.setSingleShot(true);
    connect(&clickTimer_, &QTimer::timeout, this, &TJvTrayIcon::onClickTimer);
    watchTimer_.setInterval(kTrayWatchIntervalMs);
    connect(&watchTimer_, &QTimer::timeout, this, &TJvTrayIcon::checkTray);
    if (mainWindow_)
        mainWindow_->installEventFilter(this);
}

TJvTrayIcon::~TJvTrayIcon() {
    clickTimer_.stop();
    watchTimer_.stop();
    tray_->hide();
}

void TJvTrayIcon::SetActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    if (active_) {
        refreshShownIcon();
        tray_->setToolTip(DisplayedHint());
        trayWasAvailable_ = trayAvailable_();
        showIcon();
        watchTimer_.start();
        return;
    }
    clickTimer_.stop();
    clickPending_ = false;
    tray_->hide();
    if (!hiddenInTray_)
        watchTimer_.stop();
}

void TJvTrayIcon::SetHint(const QString& hint) {
    hint_ = hint;
    tray_->setToolTip(DisplayedHint());
}

QString TJvTrayIcon::DisplayedHint() const {
    // Characters, not UTF-16 units: a character outside the basic plane is never split.
    const QList<uint> characters = hint_.section(QLatin1Char('|'), 0, 0).toUcs4();
    if (characters.size() <= kHintLimit)
        return hint_.section(QLatin1Char('|'), 0, 0);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), kHintLimit);
}

void TJvTrayIcon::SetIcon(const QIcon& icon) {
    icon_ = icon;
    if (active_)
        refreshShownIcon();
}

QIcon TJvTrayIcon::pictureToShow() const {
    if (!icon_.isNull())
        return icon_;
    const QIcon application = QApplication::windowIcon();
    if (!application.isNull())
        return application;
    if (QFile::exists(QStringLiteral(":/ferrylo.png")))
        return QIcon(QStringLiteral(":/ferrylo.png"));
    // The notification area refuses an entry without a picture.
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

void TJvTrayIcon::refreshShownIcon() {
    shownIcon_ = pictureToShow();
    tray_->setIcon(shownIcon_);
}

void TJvTrayIcon::showIcon() {
    if (trayAvailable_())
        tray_->show();
}

void TJvTrayIcon::HideToTray() {
    visibility_ &= ~TTrayVisibilities(tvVisibleTaskBar);
    if (!mainWindow_)
        return;
    if (!trayAvailable_()) {
        // Nowhere to click to come back: stay on the task bar, only minimised.
        mainWindow_->showMinimized();
        return;
    }
    if (!hiddenInTray_)
        hiddenWindows_.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!TakenAlongWhenHiding(window))
            continue;
        hiddenWindows_.append(window);
        window->hide();
    }
    hiddenInTray_ = true;
    watchTimer_.start();
}

void TJvTrayIcon::RestoreFromTray() {
    visibility_ |= tvVisibleTaskBar;
    if (!mainWindow_)
        return;
    for (const QPointer<QWidget>& window : std::as_const(hiddenWindows_))
        if (window && window != mainWindow_)
            window->show();
    hiddenWindows_.clear();
    hiddenInTray_ = false;
    mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    if (!active_)
        watchTimer_.stop();
}

void TJvTrayIcon::bringBackMinimised() {
    for (const QPointer<QWidget>& window : std::as_const(hiddenWindows_))
        if (window && window != mainWindow_)
            window->show();
    hiddenWindows_.clear();
    hiddenInTray_ = false;
    visibility_ |= tvVisibleTaskBar;
    mainWindow_->showMinimized();
}

void TJvTrayIcon::checkTray() {
    const bool available = trayAvailable_();
    // Hidden with no icon to click (the area went away, or nobody made the icon active): the
    // windows come back to the task bar rather than staying out of reach.
    if (hiddenInTray_ && (!available || !active_))
        bringBackMinimised();
    // The area came back (restarted panel): show the icon again, as after a task-bar rebuild.
    if (active_ && available && !trayWasAvailable_) {
        tray_->hide();
        tray_->show();
    }
    trayWasAvailable_ = available;
    if (!active_ && !hiddenInTray_)
        watchTimer_.stop();
}

void TJvTrayIcon::setTrayAvailableProbe(std::function<bool()> probe) {
    trayAvailable_ = std::move(probe);
    trayWasAvailable_ = trayAvailable_();
}

bool TJvTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    // Minimising the main window while the icon is shown hides it to the tray as well, so the
    // task-bar entry goes with it. Deferred: hiding inside the state change confuses some window
    // managers.
    if (watched == mainWindow_ && event->type() == QEvent::WindowStateChange && active_ && !hiddenInTray_ &&
        (visibility_ & tvAutoHide) && mainWindow_->isMinimized() && trayAvailable_()) {
        QTimer::singleShot(0, this, [this] {
            if (active_ && !hiddenInTray_ && mainWindow_->isMinimized() && trayAvailable_())
                HideToTray();
        });
    }
    return QObject::eventFilter(watched, event);
}

void TJvTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    Qt::MouseButton button = Qt::NoButton;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        button = Qt::LeftButton;
        break;
    case QSystemTrayIcon::Context:
        button = Qt::RightButton;
        break;
    case QSystemTrayIcon::MiddleClick:
        button = Qt::MiddleButton;
        break;
    case QSystemTrayIcon::DoubleClick:
        // The first click of the pair is forgotten; a double click reports nothing.
        clickPending_ = false;
        clickTimer_.stop();
        return;
    case QSystemTrayIcon::Unknown:
        return;
    }
    if (!OnClick)
        return;
    clickButton_ = button;
    clickModifiers_ = QApplication::queryKeyboardModifiers();
    clickPosition_ = QCursor::pos();
    if (!clickPending_) {
        clickPending_ = true;
        clickTimer_.start(QApplication::doubleClickInterval());
    }
}

void TJvTrayIcon::onClickTimer() {
    if (!clickPending_)
        return;
    clickPending_ = false;
    if (OnClick)
        OnClick(this, clickButton_, clickModifiers_, clickPosition_);
}
