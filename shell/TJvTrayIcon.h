#pragma once
// The main window's notification-area icon. It shows the program's picture and tooltip while the
// program is hidden there, reports a single click of any mouse button (after the double-click
// interval; a double click reports nothing), and hides the program's windows and task-bar entry
// and brings them back.
//
// Without a notification area (headless, or a desktop without one) the component keeps its state
// but never leaves a window that cannot be reached: hiding then only minimises, and if the area
// goes away while the program is hidden there, the windows come back minimised on the task bar.

#include <QFlags>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

class QWidget;

enum TTrayVisibility : unsigned {
    tvVisibleTaskBar = 1u << 0,
    tvVisibleTaskList = 1u << 1,
    tvAutoHide = 1u << 2,
    tvAutoHideIcon = 1u << 3,
    tvVisibleDesign = 1u << 4,
    tvRestoreClick = 1u << 5,
    tvRestoreDbClick = 1u << 6,
    tvMinimizeClick = 1u << 7,
    tvMinimizeDbClick = 1u << 8,
};
Q_DECLARE_FLAGS(TTrayVisibilities, TTrayVisibility)
Q_DECLARE_OPERATORS_FOR_FLAGS(TTrayVisibilities)

class TJvTrayIcon : public QObject {
    Q_OBJECT
public:
    // sender, button, keyboard modifiers, cursor position (screen coordinates)
    using TClickEvent = std::function<void(TJvTrayIcon*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)>;

    static constexpr int kHintLimit = 127; // characters of the tooltip that are shown

    // `mainWindow` is the window that hiding and restoring are about; it also owns the component.
    explicit TJvTrayIcon(QWidget* mainWindow);
    ~TJvTrayIcon() override;

    bool Active() const { return active_; }
    void SetActive(bool active);

    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);

    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& icon); // a null icon means the application's own icon

    TTrayVisibilities Visibility() const { return visibility_; }
    void SetVisibility(TTrayVisibilities visibility) { visibility_ = visibility; }

    TClickEvent OnClick;

    // Hides the program's windows and their task-bar entry (only minimises without a notification
    // area); RestoreFromTray brings them back and shows the main window.
    void HideToTray();
    void RestoreFromTray();

    // What the notification area is showing: the tooltip (hint cut as shown) and the picture.
    QString DisplayedHint() const;
    QIcon DisplayedIcon() const { return shownIcon_; }
    bool HiddenInTray() const { return hiddenInTray_; }

    // Test entries: feed an activation as the notification area reports it, replace the test for a
    // notification area, and run the periodic check of it at once.
    void simulateActivation(QSystemTrayIcon::ActivationReason reason) { onActivated(reason); }
    void setTrayAvailableProbe(std::function<bool()> probe);
    void checkTray();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onClickTimer();
    void showIcon();
    void refreshShownIcon();
    QIcon pictureToShow() const;
    void bringBackMinimised();

    QWidget* mainWindow_;
    QSystemTrayIcon* tray_;
    bool active_ = false;
    QString hint_;
    QIcon icon_;
    QIcon shownIcon_;
    TTrayVisibilities visibility_ = tvVisibleTaskBar | tvVisibleTaskList | tvAutoHide;

    QTimer clickTimer_;
    bool clickPending_ = false;
    Qt::MouseButton clickButton_ = Qt::NoButton;
    Qt::KeyboardModifiers clickModifiers_;
    QPoint clickPosition_;

    std::function<bool()> trayAvailable_;
    bool trayWasAvailable_ = false;
    QTimer watchTimer_; // notices a notification area that goes away or comes back
    bool hiddenInTray_ = false;
    QList<QPointer<QWidget>> hiddenWindows_;
};
