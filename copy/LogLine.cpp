#include "copy/LogLine.h"

#include "ui/SystemText.h"
#include "util/TimeTexts.h"

namespace copyjob {

QString StampedLine(const QString& text) {
    return ui::FromSystemText(NowStamp()) + QStringLiteral(u": ") + text; // the time in the locale's own text
}

} // namespace copyjob
