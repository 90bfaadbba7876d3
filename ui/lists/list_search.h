#pragma once
// The search and the row stepping shared by the program's list views. Rows
// are display rows (after any sorting); a view supplies the cell texts.

#include <QString>
#include <functional>

namespace larkspur::ui {

struct FindOptions {
  QString text;
  bool matchCase = false;
  bool wholeWord = false;  // the cell must equal the text instead of containing it
  bool down = true;
};

// Searches from the first selected row (-1: none, which starts at row 0 going
// down and past the last row going up). `repeat` (the Find Next command)
// moves one row in the search direction before the first comparison, so a
// repeated search goes past the row it found before. Every column of a row is
// compared in header order. Returns the first row that matches, or -1.
int findListRow(int rowCount, int columnCount, const std::function<QString(int row, int column)>& cell,
                const FindOptions& options, int firstSelected, bool repeat);

// Whether one cell's text matches.
bool cellMatches(const QString& cell, const FindOptions& options);

// The row Up or Down moves to from the first selected row (-1: none, which
// gives row 0), clamped to the list; -1 for an empty list.
int stepListRow(int rowCount, int firstSelected, bool up);

}  // namespace larkspur::ui
