#include "ui/TLogViewAccessible.h"

#include "ui/TLogView.h"

#include <QAccessibleWidget>
#include <algorithm>

namespace {

// A read-only multi-line text, as a reader expects a log; it has no caret and no selection.
class LogViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LogViewAccessible(TLogView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return view()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    // Offsets count UTF-16 units of the lines joined by "\n", like every text interface of the toolkit.
    QString text(int startOffset, int endOffset) const override {
        const QString all = view()->toPlainText();
        const int start = std::clamp(startOffset, 0, int(all.size()));
        const int end = std::clamp(endOffset, start, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(view()->toPlainText().size()); }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    TLogView* view() const { return static_cast<TLogView*>(widget()); }
};

QAccessibleInterface* logViewFactory(const QString&, QObject* object) {
    // TLogView has no meta-object of its own, so it is recognised by its type, not its class name.
    if (auto* view = dynamic_cast<TLogView*>(object))
        return new LogViewAccessible(view);
    return nullptr;
}

} // namespace

void InstallLogViewAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(logViewFactory);
        return true;
    }();
    (void)installed;
}
