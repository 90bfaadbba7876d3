#pragma once
// What the engine list, the link list and the PPC list have in common: a
// report-style list
// with full-row selection whose rows carry the address of their record, text
// sorting by a clicked header (again on the same header reverses it), the
// find dialog with Find Next, Select All, Invert Selection, Up and Down, and
// the "Total Link:%4d Select:%4d" status text.

#include <QPointer>
#include <QTreeWidget>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "reports/list_view.h"
#include "ui/lists/list_search.h"

class QMenu;

namespace larkspur::ui {

class FindDialog;
class TargetOpener;

// A count of records meaning every record of a table.
inline constexpr std::size_t kAllRecords = static_cast<std::size_t>(-1);

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
  // Every column's width, 0 for a hidden one: what is remembered of the list.
  QList<int> columnWidths() const;
  // Gives each shown column its remembered width (above 0); the widths of
  // columns hidden or beyond `widths` stay as they are.
  void applyColumnWidths(const QList<int>& widths);
  // Widens each shown column whose title or rows are cut to what they need,
  // none beyond `limit` pixels, left to right while the list still fits in
  // `paneWidth` (frame and scroll bar included); a column wide enough stays
  // as it is.
  void widenColumnsToContents(int limit, int paneWidth);
  // The width a column's title and rows need, the cells' margins included.
  int contentWidth(int column) const;
  // The width that shows a column's title and rows, at least `atLeast` and at
  // most half the list's width (or `atLeast`, when the list is not laid out).
  int readableWidth(int column, int atLeast) const;
  int firstSelectedRow() const;
  int selectedRowCount() const;
  // The selected rows from the top.
  std::vector<int> selectedRows() const;
  // "Total Link:%4d Select:%4d". Said again (statusTextChanged) whenever
  // rows come or go or the selection changes, whoever changed them.
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

  // The list's context menu, or nullptr for a list without one.
  virtual std::unique_ptr<QMenu> makeContextMenu();

 signals:
  void statusTextChanged(const QString& text);
  // Something that enables or disables a command changed.
  void commandStateChanged();

 protected:
  // The address the row of `item` (nullptr for none) shows in the browser
  // pane, or nothing for a row without a page or a list whose rows open
  // their pages otherwise (the default).
  virtual std::optional<QString> pageAddressOf(const QTreeWidgetItem* item) const;
  // Opens the page of the row of `item` in a new page of the browser pane.
  void openRowInNewPage(const QTreeWidgetItem* item);
  // Up and Down have taken `row`: show its page (by default in the browser
  // pane).
  virtual void showSteppedRow(int row);
  // Gives a list that has no columns of its own yet (a new one has one) the
  // columns `titles`, with the titles of the columns `centred` centred, and
  // each column c the width widthOf(c), hidden when that is not above 0.
  // Returns false when the list had its columns already.
  bool setUpColumns(std::span<const char* const> titles, std::initializer_list<int> centred,
                    const std::function<int(int)>& widthOf);
  // A left button press on `item` (nullptr off the rows) at `pos`, before
  // the selection follows it. Returns true when the press ends there: the
  // selection stays as it is. By default the row's page is shown in the
  // browser pane, a page that shows it already brought to the front.
  virtual bool takeLeftPress(QTreeWidgetItem* item, const QPoint& pos);
  // A left double click on the row of `item`; by default it opens the row's
  // page in a new page (openRowInNewPage).
  virtual void openDoubleClickedRow(QTreeWidgetItem* item);
  // Whether a right button press selects the row under the mouse before
  // the context menu shows (by default it does).
  void setRightPressSelects(bool selects) { rightPressSelects_ = selects; }

  // The left button selects and takes takeLeftPress's action, the right one
  // shows the context menu.
  void mousePressEvent(QMouseEvent* event) override;
  // A left double click opens the row: openDoubleClickedRow.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // The keyboard's context menu (the mouse's comes with the right button
  // press), shown at the current row.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void selectOnly(int row);
  void emitStatus();

 private:
  // Says the status text once the current changes are over: a fill of
  // thousands of rows says it once.
  void scheduleStatus();
  void step(bool up);
  // Shows makeContextMenu's menu at `globalPos`.
  void showContextMenu(const QPoint& globalPos);

  QPointer<FindDialog> findDialog_;
  OpenerSource openerSource_;
  bool rightPressSelects_ = true;
  bool statusScheduled_ = false;
};

}  // namespace larkspur::ui
