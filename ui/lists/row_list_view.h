#pragma once
// What the engine list, the link list and the PPC list have in common: a
// report-style list
// with full-row selection whose rows carry the address of their record, text
// sorting by a clicked header (again on the same header reverses it), the
// find dialog with Find Next, Select All, Invert Selection, Up and Down, and
// the "Total Link:%4d Select:%4d" status text.

#include <QPointer>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "reports/list_view.h"
#include "ui/lists/list_search.h"

namespace larkspur::ui {

class FindDialog;
class TargetOpener;

// Where a list finds the browser pane's opener (nullptr while there is none).
using OpenerSource = std::function<TargetOpener*()>;

// A row ordered by the sort column's text, compared without regard to case,
// so a rank of 10 comes before a rank of 3.
class TextOrderItem : public QTreeWidgetItem {
 public:
  bool operator<(const QTreeWidgetItem& other) const override;
};

// A row that shows one record.
template <typename Record>
class RecordItem : public TextOrderItem {
 public:
  explicit RecordItem(Record* record) : record_(record) {}
  Record* record() const { return record_; }

 private:
  Record* record_;
};

// Where a cell keeps the bytes of its record's text when it shows them
// differently (control characters made visible); reports and exports take
// the bytes.
inline constexpr int kRecordTextRole = Qt::UserRole + 1;

// A list as reports, exports and printing take it: the column titles with
// their widths (0 for a hidden column) and every row's texts in the order
// shown.
reports::ListView listViewOf(const QTreeWidget& view);

class RowListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit RowListView(QWidget* parent = nullptr);
  ~RowListView() override;

  int rowCount() const { return topLevelItemCount(); }
  // The width the list needs to show its shown columns side by side, its
  // frame and vertical scroll bar included.
  int shownColumnsWidth() const;
  int firstSelectedRow() const;
  int selectedRowCount() const;
  // The selected rows from the top.
  std::vector<int> selectedRows() const;
  // "Total Link:%4d Select:%4d"
  QString statusText() const;

  void setOpenerSource(OpenerSource source) { openerSource_ = std::move(source); }
  TargetOpener* opener() const { return openerSource_ ? openerSource_() : nullptr; }

  // Commands.
  void find();
  bool canFindNext() const;
  void findNext();
  virtual void selectAllRows();
  void invertSelection();
  void stepUp() { step(true); }
  void stepDown() { step(false); }

  // A search with explicit options, as the find dialog runs it; `repeat` is
  // Find Next's first step past the selected row. Returns the row found, or
  // -1 after "Not found!".
  int search(const FindOptions& options, bool repeat);
  FindDialog* findDialog() const;

 signals:
  void statusTextChanged(const QString& text);
  // Something that enables or disables a command changed.
  void commandStateChanged();

 protected:
  // Up and Down have taken `row`: show its page.
  virtual void showSteppedRow(int row) = 0;
  // Shows the list's context menu at `globalPos`; a list without one shows
  // nothing.
  virtual void showContextMenu(const QPoint& globalPos) { (void)globalPos; }
  // The keyboard's context menu (the mouse's comes with the right button
  // press), shown at the current row.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void selectOnly(int row);
  void emitStatus();

 private:
  void step(bool up);

  QPointer<FindDialog> findDialog_;
  OpenerSource openerSource_;
};

}  // namespace larkspur::ui
