#include "copy/LogLine.h"

#include "ui/SystemText.h"
#include "util/TimeTexts.h"

namespace copyjob {

QString StampedLine(const QString& text) {
    return ui::FromSystemText(NowStamp()) + QStringLiteral(u": ") + text; // the time in the locale's own text
}

QString FileStartedLine(const std::string& item) {
    return StampedLine(QStringLiteral(u"Начал копироваться файл : ") + ui::FromSystemText(item));
}

} // namespace copyjob
