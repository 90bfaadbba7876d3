#include "ui/lists/list_search.h"

namespace larkspur::ui {

bool cellMatches(const QString& cell, const FindOptions& options) {
  const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (options.wholeWord) return cell.compare(options.text, cs) == 0;
  return cell.contains(options.text, cs);
}

int findListRow(int rowCount, int columnCount, const std::function<QString(int, int)>& cell,
                const FindOptions& options, int firstSelected, bool repeat) {
  const int step = options.down ? 1 : -1;
  int row = firstSelected;
  if (row < 0) row = options.down ? 0 : rowCount;
  if (repeat) row += step;
  for (; row >= 0 && row <= rowCount; row += step) {
    if (row == rowCount) continue;  // the start past the last row holds no cells
    for (int column = 0; column < columnCount; ++column) {
      if (cellMatches(cell(row, column), options)) return row;
    }
  }
  return -1;
}

int stepListRow(int rowCount, int firstSelected, bool up) {
  if (rowCount <= 0) return -1;
  if (firstSelected < 0) return 0;
  const int target = up ? firstSelected - 1 : firstSelected + 1;
  if (target < 0) return 0;
  if (target >= rowCount) return rowCount - 1;
  return target;
}

}  // namespace larkspur::ui
