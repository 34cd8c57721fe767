#pragma once
// The log of the main window: one line per event, appended at the end, cleared only at start. A job
// of tens of thousands of files writes two lines per file, so the lines are kept as UTF-8 text (a few
// bytes over the text itself per line) and only the visible ones are laid out and drawn; a rich text
// editor would spend about a kilobyte per line.
#include "ui/LogLines.h"

#include <QAbstractScrollArea>
#include <QHash>

class TLogView : public QAbstractScrollArea {
public:
    explicit TLogView(QWidget* parent = nullptr);

    // Adds the text at the end: its line breaks start new lines, unreadable characters show as U+FFFD.
    void appendPlainText(const QString& text);
    void clear();
    QString toPlainText() const; // the lines joined by "\n"
    int lineCount() const { return static_cast<int>(lines_.count()); }
    QString line(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void appendLine(const QString& line);
    int widthOf(const QString& line);
    int visibleLines() const;
    void updateScrollRanges();
    void copyAll() const;

    TLogLines lines_;
    int widest_ = 0;                // pixels of the widest line, for the horizontal range
    QHash<char16_t, int> advances_; // pixels of each character met, in the current font
};
