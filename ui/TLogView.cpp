#include "ui/TLogView.h"

#include "ui/TLogViewAccessible.h"
#include "ui/UiLayer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {
constexpr int kMargin = 4;
}

TLogView::TLogView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    InstallLogViewAccessible();
}

void TLogView::appendPlainText(const QString& text) {
    // A server's reply may end up here: a NUL or a control character would cut or blank the line,
    // and a line break inside would break the one-entry-per-line buffer. Breaks start new lines,
    // as in any multi-line text.
    QString readable = ui::Readable(text);
    if (!readable.contains(u'\r') && !readable.contains(u'\n')) {
        appendLine(readable);
        return;
    }
    readable.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    readable.replace(u'\r', u'\n');
    for (const QString& line : readable.split(u'\n'))
        appendLine(line);
}

void TLogView::appendLine(const QString& line) {
    // A view scrolled to its end follows the new line; one scrolled back stays where the user put it.
    const bool following = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    lines_.append(line.toStdString());
    widest_ = std::max(widest_, widthOf(line));
    updateScrollRanges();
    if (following)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
    if (QAccessible::isActive()) { // a listening reader hears each new line; the joined text is built only then
        const QString inserted = lines_.count() == 1 ? line : QStringLiteral("\n") + line;
        QAccessibleTextInsertEvent event(this, int(toPlainText().size() - inserted.size()), inserted);
        QAccessible::updateAccessibility(&event);
    }
}

int TLogView::widthOf(const QString& line) {
    // Shaping a line costs more than everything else a job does for one file, and the width only sets the
    // scroll range: the sum of the characters' own advances (kept per character) is that width to within the
    // kerning, and one average character more covers the difference.
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.averageCharWidth();
    for (const QChar c : line) {
        if (c.isSurrogate())
            return std::max(width, metrics.horizontalAdvance(line)); // outside the cache's plane: measure it all
        auto cached = advances_.constFind(c.unicode());
        if (cached == advances_.constEnd())
            cached = advances_.insert(c.unicode(), metrics.horizontalAdvance(c));
        width += *cached;
    }
    return width;
}

void TLogView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        advances_.clear(); // measured in the old font
    QAbstractScrollArea::changeEvent(event);
}

void TLogView::clear() {
    lines_.clear();
    widest_ = 0;
    updateScrollRanges();
    viewport()->update();
}

QString TLogView::line(int index) const {
    return QString::fromStdString(lines_.line(static_cast<std::size_t>(index)));
}

QString TLogView::toPlainText() const {
    return QString::fromStdString(lines_.joined());
}

int TLogView::visibleLines() const {
    return std::max(1, viewport()->height() / fontMetrics().lineSpacing());
}

void TLogView::updateScrollRanges() {
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - visibleLines()));
    verticalScrollBar()->setPageStep(visibleLines());
    horizontalScrollBar()->setRange(0, std::max(0, widest_ + 2 * kMargin - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void TLogView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int spacing = fontMetrics().lineSpacing();
    const int first = verticalScrollBar()->value();
    const int last = std::min(lineCount(), first + visibleLines() + 1);
    for (int index = first; index < last; ++index) {
        const int baseline = (index - first) * spacing + fontMetrics().ascent() + 1;
        painter.drawText(kMargin - horizontalScrollBar()->value(), baseline, line(index));
    }
}

void TLogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void TLogView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copyAll();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TLogView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Копировать журнал"), this, [this] { copyAll(); });
    menu.exec(event->globalPos());
}

void TLogView::copyAll() const {
    QApplication::clipboard()->setText(toPlainText());
}
