#pragma once
// Index-checked access to the entries of a list box, with the toolkit's list index error, and
// the conversions between its entries and the program's 8-bit lines.

#include <stdexcept>
#include <string>
#include <vector>

class QListWidget;

// "List index out of bounds (<index>)".
class EListError : public std::runtime_error {
public:
    explicit EListError(int index);
};

// Row of the selected entry, or -1 when nothing is selected.
int SelectedRow(const QListWidget& list);

// Swaps the texts at two rows; throws EListError naming the first row that does not exist,
// and then leaves the list as it was.
void ExchangeItems(QListWidget& list, int first, int second);

// Replaces the text at a row; throws EListError when the row does not exist.
void SetItemText(QListWidget& list, int row, const std::string& text);

std::vector<std::string> ItemLines(const QListWidget& list);
void AppendLines(QListWidget& list, const std::vector<std::string>& lines);
