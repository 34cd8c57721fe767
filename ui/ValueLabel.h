#pragma once
// A label that shows a value the program writes (a speed, a time, a size). A screen reader reads it by what it is
// and what it shows now ("Средняя скорость: 120 kB/Sec"), so the value must be written through here.

#include <QString>

class QLabel;

namespace ui {

// What the label shows, for a listener: its accessible name until a value is written.
void AnnounceValueLabel(QLabel& label, const QString& announcedAs);

// Shows `value` and names the label by what it is and the value; an empty value leaves only what it is.
void ShowValue(QLabel& label, const QString& value);

} // namespace ui
