#pragma once
// The engine list: one row per submission target with its name, country,
// submit type, rank and submit state. Rows hold the addresses of their Engine
// records; sorting moves rows only. The view opens targets through the
// openTargetRequested signal, which the browser pane answers.

#include <QPointer>
#include <QTreeWidget>
#include <vector>

#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/messages.h"
#include "core/settings_store.h"
#include "ui/lists/list_search.h"
#include "ui/printing/list_print_description.h"

namespace larkspur::ui {

class FindDialog;
class StateEditor;

class EngineListView : public QTreeWidget, public ListPrintSource {
  Q_OBJECT

 public:
  enum Column { kColumnName = 0, kColumnCountry, kColumnType, kColumnRank, kColumnState, kColumnCount };

  EngineListView(core::EngineTable& engines, const core::ColumnWidths& widths, QWidget* parent = nullptr);
  ~EngineListView() override;

  // Inserts the columns (once) and one row per Engine record, in table order.
  void fill();

  int rowCount() const { return topLevelItemCount(); }
  core::EngineRecord* recordAt(int row) const;
  // The first display row holding `record`, or -1.
  int rowOf(const core::EngineRecord* record) const;
  int firstSelectedRow() const;
  int selectedRowCount() const;
  // "Total Link:%4d Select:%4d"
  QString statusText() const;

  // Commands.
  void find();
  bool canFindNext() const;
  void findNext();
  void selectAllRows();
  void invertSelection();
  void stepUp() { step(true); }
  void stepDown() { step(false); }
  // The selected rows' records whose submit type is not 0, in display order.
  std::vector<core::EngineRecord*> selectedAutoTargets() const;
  // Rewrites the submit-state column of every row from its record.
  void refreshStates();
  // Whether the context menu offers "Auto Submit" as a working entry.
  void setAutoSubmitAvailable(bool available) { autoSubmitAvailable_ = available; }

  // A search with explicit options, as the find dialog runs it. `repeat` is
  // the Find Next command's first step past the selected row. Returns the
  // row found, or -1 after "Not found!".
  int search(const FindOptions& options, bool repeat);

  // The rows and columns as shown, for the list printer.
  ListPrintDescription printDescription() const override;

  // Messages posted by the page-rank update.
  void handleMessage(const core::Message& message);

  FindDialog* findDialog() const;
  StateEditor* stateEditor() const { return stateEditor_; }
  // Shows the state editor over the state cell of `row`.
  void editState(int row);

 signals:
  void openTargetRequested(core::EngineRecord* record, bool newPage);
  void autoSubmitRequested(const std::vector<core::EngineRecord*>& records);
  void statusTextChanged(const QString& text);
  // The user changed a record (a submit state).
  void recordsModified();
  // Something that enables or disables a command changed.
  void commandStateChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void step(bool up);
  void selectOnly(int row);
  void showContextMenu(const QPoint& globalPos);
  void openInNewWindows();
  void onStateChosen(const QString& state);
  void updateRank(int row);
  void emitStatus();

  core::EngineTable& engines_;
  core::ColumnWidths widths_;
  bool filled_ = false;
  bool autoSubmitAvailable_ = false;
  QPointer<FindDialog> findDialog_;
  StateEditor* stateEditor_ = nullptr;
  int editedRow_ = -1;
};

}  // namespace larkspur::ui
