#include "ui/ValueLabel.h"

#include <QLabel>
#include <QVariant>

namespace ui {
namespace {

// Kept on the label itself, so whoever writes the value needs to know nothing but the label.
const char* const kAnnouncedAs = "announcedAs";

} // namespace

void AnnounceValueLabel(QLabel& label, const QString& announcedAs) {
    label.setProperty(kAnnouncedAs, announcedAs);
    label.setAccessibleName(announcedAs);
}

void ShowValue(QLabel& label, const QString& value) {
    label.setText(value);
    const QString announcedAs = label.property(kAnnouncedAs).toString();
    if (announcedAs.isEmpty())
        return; // a plain label is read by its text anyway
    label.setAccessibleName(value.isEmpty() ? announcedAs : announcedAs + QStringLiteral(": ") + value);
}

} // namespace ui
