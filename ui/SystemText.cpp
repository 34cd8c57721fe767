#include "ui/SystemText.h"

namespace ui {

QString FromSystemText(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToSystemText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace ui
