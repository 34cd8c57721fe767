#include "dialogs/ListItems.h"
#include "ui/SystemText.h"

#include <QListWidget>

EListError::EListError(int index) : std::runtime_error("List index out of bounds (" + std::to_string(index) + ")") {}

namespace {

QListWidgetItem& checkedItem(QListWidget& list, int row) {
    if (row < 0 || row >= list.count())
        throw EListError(row);
    return *list.item(row);
}

} // namespace

int SelectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

// Only the texts move, so the selection stays on its row.
void ExchangeItems(QListWidget& list, int first, int second) {
    QListWidgetItem& a = checkedItem(list, first);
    QListWidgetItem& b = checkedItem(list, second);
    const QString text = a.text();
    a.setText(b.text());
    b.setText(text);
}

void SetItemText(QListWidget& list, int row, const std::string& text) {
    checkedItem(list, row).setText(ui::FromSystemText(text));
}

std::vector<std::string> ItemLines(const QListWidget& list) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row)
        lines.push_back(ui::ToSystemText(list.item(row)->text()));
    return lines;
}

void AppendLines(QListWidget& list, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        list.addItem(ui::FromSystemText(line));
}
