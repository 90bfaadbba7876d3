#pragma once
// The engine list: one row per submission target with its name, country,
// submit type, rank, submit state and the verdict of its last check (the
// reason as the cell's tooltip; sorted from the best verdict to the worst,
// never-checked targets last). Rows hold the addresses of their Engine
// records; sorting moves rows only. The view opens targets through the
// openTargetRequested signal, which the browser pane answers. Find, Find
// Next, Select All, Invert Selection, Up and Down are the shared row list's.

#include <vector>

#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/messages.h"
#include "core/settings_store.h"
#include "ui/lists/row_list_view.h"
#include "ui/printing/list_print_description.h"

namespace larkspur::ui {

class StateEditor;

class EngineListView : public RowListView, public ListPrintSource {
  Q_OBJECT

 public:
  enum Column { kColumnName = 0, kColumnCountry, kColumnType, kColumnRank, kColumnState, kColumnHealth, kColumnCount };
  // The health column's width until the user sets another (the window
  // layout keeps it; the settings' widths are those of the first five).
  static constexpr int kHealthColumnWidth = 80;

  EngineListView(core::EngineTable& engines, const core::ColumnWidths& widths, QWidget* parent = nullptr);

  // Shows only the first `count` records of the table (the targets of a
  // targets file); before fill().
  void setRecordCount(std::size_t count) { recordCount_ = count; }
  // Inserts the columns (once) and one row per Engine record, in table order.
  void fill();

  core::EngineRecord* recordAt(int row) const;
  // The first display row holding `record`, or -1.
  int rowOf(const core::EngineRecord* record) const;

  // Select All, which leaves the current row as it is.
  void selectAllRows() override;
  // The selected rows' records whose submit type is not 0, in display order.
  std::vector<core::EngineRecord*> selectedAutoTargets() const;
  // Rewrites the submit-state column of every row from its record.
  void refreshStates();
  // Rewrites the health cell of the rows showing `record`.
  void showHealth(const core::EngineRecord& record);
  // Whether the context menu offers "Auto Submit" as a working entry.
  void setAutoSubmitAvailable(bool available) { autoSubmitAvailable_ = available; }
  // Whether it offers "Check Targets" as one (not while a check runs).
  void setTargetCheckAvailable(bool available) { targetCheckAvailable_ = available; }
  // The selected rows' records, in display order.
  std::vector<core::EngineRecord*> selectedRecords() const;

  // The rows and columns as shown, for the list printer.
  ListPrintDescription printDescription() const override;

  // Messages posted by the page-rank update: a changed rank is shown (its
  // end is the update's commands' to tell).
  void handleMessage(const core::Message& message);

  StateEditor* stateEditor() const { return stateEditor_; }
  // Shows the state editor over the state cell of `row`.
  void editState(int row);
  // The least width of the state column: its title and its longest state.
  int stateColumnWidth() const;

  // The right button's menu: "Auto Submit" and "Open in new window" for a
  // selection with automatic targets, else "Open in New Window"; then
  // "Check Targets" for any selection.
  std::unique_ptr<QMenu> makeContextMenu() override;

 signals:
  void openTargetRequested(core::EngineRecord* record, bool newPage);
  void autoSubmitRequested(const std::vector<core::EngineRecord*>& records);
  void targetCheckRequested(const std::vector<core::EngineRecord*>& records);
  // The user changed a record (a submit state).
  void recordsModified();

 protected:
  // A click on the state cell edits the state; elsewhere on a row it opens
  // the row's target.
  bool takeLeftPress(QTreeWidgetItem* item, const QPoint& pos) override;
  void openDoubleClickedRow(QTreeWidgetItem* item) override;
  // Up and Down open the target of the row they reach.
  void showSteppedRow(int row) override;

 private:
  void openInNewWindows();
  void onStateChosen(const QString& state);
  void updateRank(int row);

  core::EngineTable& engines_;
  core::ColumnWidths widths_;
  std::size_t recordCount_ = kAllRecords;
  bool filled_ = false;
  bool autoSubmitAvailable_ = false;
  bool targetCheckAvailable_ = true;
  StateEditor* stateEditor_ = nullptr;
  int editedRow_ = -1;
};

}  // namespace larkspur::ui
