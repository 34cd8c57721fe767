#pragma once
// Building a fixed-layout window in one line per control: each control gets its object name (so
// tests and code share one name), its place on the form and, where it has no visible text of its
// own, a Russian name for screen readers (the object name means nothing to a listener).
#include "ui/UiLayer.h"
#include "ui/ValueLabel.h"

#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

namespace ui {

template <typename Widget> Widget* Place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A control that shows no text of its own is announced as `announcedAs`.
template <typename Widget>
Widget* PlaceAnnounced(Widget* widget, const char* name, const QString& announcedAs, const QRect& geometry) {
    Place(widget, name, geometry)->setAccessibleName(announcedAs);
    return widget;
}

inline QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                          QWidget* buddy = nullptr) {
    auto* label = Place(new QLabel(text, parent), name, geometry);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

// A label for a value the program writes (speed, times, sizes): red, announced by what it shows and, once
// written through ShowValue, by its value too.
inline QLabel* PlaceValueLabel(QWidget* parent, const char* name, const QString& announcedAs, const QRect& geometry) {
    auto* label = Place(new QLabel(parent), name, geometry);
    AnnounceValueLabel(*label, announcedAs);
    label->setStyleSheet(QStringLiteral("color: red;"));
    return label;
}

// Runs `handler` of `receiver` whenever `signal` fires, as the message loop runs a handler: an
// error that escapes it is shown in the standard error box.
template <typename Sender, typename Signal, typename Receiver>
void OnSignal(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)()) {
    QObject::connect(sender, signal, receiver,
                     [receiver, handler] { RunHandler([receiver, handler] { (receiver->*handler)(); }); });
}

} // namespace ui
