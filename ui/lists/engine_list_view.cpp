#include "ui/lists/engine_list_view.h"

#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <atomic>
#include <iterator>

#include "core/fixed_text.h"
#include "core/target_health.h"
#include "submit/submit_states.h"
#include "ui/app/command_ids.h"
#include "ui/lists/find_dialog.h"
#include "ui/lists/state_editor.h"

namespace larkspur::ui {

namespace {

QString fieldText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Where a verdict sorts: the verdicts from the best to the worst, a text that
// is none of them after them, never checked last.
std::size_t healthRank(std::string_view verdict) {
  if (verdict.empty()) return std::size(core::kHealthVerdicts) + 1;
  const auto* found = std::find(std::begin(core::kHealthVerdicts), std::end(core::kHealthVerdicts), verdict);
  return static_cast<std::size_t>(found - std::begin(core::kHealthVerdicts));
}

// A row of the list: its record and the case-insensitive order of its texts,
// the health column's in the order of the verdicts.
class EngineItem : public RecordItem<core::EngineRecord> {
 public:
  using RecordItem::RecordItem;

  bool operator<(const QTreeWidgetItem& other) const override {
    if (!treeWidget() || treeWidget()->sortColumn() != EngineListView::kColumnHealth) {
      return TextOrderItem::operator<(other);
    }
    const auto& that = static_cast<const EngineItem&>(other);
    return healthRank(record()->health.view()) < healthRank(that.record()->health.view());
  }
};

void setHealthCell(QTreeWidgetItem& item, const core::EngineRecord& record) {
  item.setText(EngineListView::kColumnHealth, fieldText(record.health.view()));
  item.setToolTip(EngineListView::kColumnHealth, fieldText(record.health_reason.view()));
}

int32_t rankOf(const core::EngineRecord& record) {
  // The page-rank update writes ranks from its own thread.
  return std::atomic_ref<const int32_t>(record.rank).load(std::memory_order_acquire);
}

const char* const kColumnTitles[] = {"Search Engine", "Country", "Type", "Rank", "Submit State", "Health"};
constexpr int kMinimumEditorColumnWidth = 5;

}  // namespace

EngineListView::EngineListView(core::EngineTable& engines, const core::ColumnWidths& widths, QWidget* parent)
    : RowListView(parent), engines_(engines), widths_(widths) {
  setContextMenuPolicy(Qt::DefaultContextMenu);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &EngineListView::emitStatus);

  stateEditor_ = new StateEditor(viewport());
  connect(stateEditor_, &StateEditor::chosen, this, &EngineListView::onStateChosen);
  connect(stateEditor_, &StateEditor::dismissed, this, [this] {
    editedRow_ = -1;
    setFocus();
  });
}

void EngineListView::fill() {
  if (filled_) return;
  filled_ = true;
  const auto widthOf = [this](int c) {
    return c == kColumnHealth ? kHealthColumnWidth : widths_[static_cast<std::size_t>(c)];
  };
  if (setUpColumns(kColumnTitles, {kColumnType, kColumnRank}, widthOf)) {
    // The state column shows its title and its longest state whole: cut to
    // "Submit-Er..." it would hide what it is there for.
    if (!isColumnHidden(kColumnState)) {
      setColumnWidth(kColumnState, std::max(columnWidth(kColumnState), stateColumnWidth()));
    }
  }
  QList<QTreeWidgetItem*> items;
  const std::size_t count = std::min(recordCount_, engines_.size());
  items.reserve(static_cast<qsizetype>(count));
  for (std::size_t i = 0; i < count; ++i) {
    core::EngineRecord* record = engines_.at(i);
    if (!record) continue;
    auto* item = new EngineItem(record);
    item->setText(kColumnName, fieldText(record->name.view()));
    item->setText(kColumnCountry, fieldText(record->country.view()));
    item->setText(kColumnType, QString::fromLatin1(core::submitTypeLabel(record->submit_type)));
    item->setText(kColumnRank, QString::number(rankOf(*record)));
    item->setText(kColumnState, fieldText(record->submit_state.view()));
    setHealthCell(*item, *record);
    item->setTextAlignment(kColumnType, Qt::AlignCenter);
    item->setTextAlignment(kColumnRank, Qt::AlignCenter);
    items.append(item);
  }
  addTopLevelItems(items);
  emitStatus();
}

int EngineListView::stateColumnWidth() const {
  // An item view draws a cell's text between two margins of its focus frame
  // and one pixel more on each side.
  const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
  int width = header()->sectionSizeHint(kColumnState);
  for (const char* state : {submit::kStateUnsubmitted, submit::kStateOk, submit::kStateError}) {
    width = std::max(width, fontMetrics().horizontalAdvance(QString::fromUtf8(state)) + margins);
  }
  return width;
}

core::EngineRecord* EngineListView::recordAt(int row) const {
  auto* item = static_cast<EngineItem*>(topLevelItem(row));
  return item ? item->record() : nullptr;
}

int EngineListView::rowOf(const core::EngineRecord* record) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (recordAt(row) == record) return row;
  }
  return -1;
}

void EngineListView::selectAllRows() {
  selectAll();
  emitStatus();
}

void EngineListView::showSteppedRow(int row) { emit openTargetRequested(recordAt(row), false); }

std::vector<core::EngineRecord*> EngineListView::selectedAutoTargets() const {
  std::vector<core::EngineRecord*> records;
  for (int row = 0; row < rowCount(); ++row) {
    core::EngineRecord* record = recordAt(row);
    if (topLevelItem(row)->isSelected() && record && record->submit_type != core::kSubmitManual) {
      records.push_back(record);
    }
  }
  return records;
}

std::vector<core::EngineRecord*> EngineListView::selectedRecords() const {
  std::vector<core::EngineRecord*> records;
  for (int row : selectedRows()) {
    if (core::EngineRecord* record = recordAt(row)) records.push_back(record);
  }
  return records;
}

void EngineListView::refreshStates() {
  for (int row = 0; row < rowCount(); ++row) {
    if (core::EngineRecord* record = recordAt(row)) {
      topLevelItem(row)->setText(kColumnState, fieldText(record->submit_state.view()));
    }
  }
}

void EngineListView::showHealth(const core::EngineRecord& record) {
  for (int row = 0; row < rowCount(); ++row) {
    if (recordAt(row) == &record) setHealthCell(*topLevelItem(row), record);
  }
}

void EngineListView::editState(int row) {
  if (row < 0 || row >= rowCount() || isColumnHidden(kColumnState)) return;
  if (columnWidth(kColumnState) < kMinimumEditorColumnWidth) return;
  QTreeWidgetItem* item = topLevelItem(row);
  scrollToItem(item);
  // Bring the cell into view horizontally as well.
  const int left = header()->sectionPosition(kColumnState);
  const int width = columnWidth(kColumnState);
  QScrollBar* bar = horizontalScrollBar();
  if (left < bar->value()) {
    bar->setValue(left);
  } else if (left + width > bar->value() + viewport()->width()) {
    bar->setValue(std::min(left, left + width - viewport()->width()));
  }
  const QRect cell = visualItemRect(item);
  const QRect rect(left - bar->value(), cell.top(), width, cell.height());
  editedRow_ = row;
  stateEditor_->open(rect, item->text(kColumnState));
}

void EngineListView::onStateChosen(const QString& state) {
  const int row = editedRow_;
  editedRow_ = -1;
  // The same state chosen again changes nothing.
  if (row >= 0 && row < rowCount() && topLevelItem(row)->text(kColumnState) != state) {
    topLevelItem(row)->setText(kColumnState, state);
    if (core::EngineRecord* record = recordAt(row)) record->submit_state.assign(state.toStdString());
    emit recordsModified();
  }
  setFocus();
}

bool EngineListView::takeLeftPress(QTreeWidgetItem* item, const QPoint& pos) {
  if (header()->logicalIndexAt(pos.x()) == kColumnState) {
    // The state cell edits the state and does not open the target.
    if (item) editState(indexOfTopLevelItem(item));
    return true;
  }
  if (item) emit openTargetRequested(static_cast<EngineItem*>(item)->record(), false);
  return false;
}

void EngineListView::openDoubleClickedRow(QTreeWidgetItem* item) {
  emit openTargetRequested(static_cast<EngineItem*>(item)->record(), true);
}

std::unique_ptr<QMenu> EngineListView::makeContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  if (!selectedAutoTargets().empty()) {
    QAction* autoSubmit = menu->addAction(QStringLiteral("Auto Submit"));
    autoSubmit->setData(kIdAutoSubmit);
    autoSubmit->setEnabled(autoSubmitAvailable_);
    connect(autoSubmit, &QAction::triggered, this, [this] {
      const std::vector<core::EngineRecord*> records = selectedAutoTargets();
      if (!records.empty()) emit autoSubmitRequested(records);
    });
    QAction* open = menu->addAction(QStringLiteral("Open in new window"));
    open->setData(kIdOpenInNewWindow);
    connect(open, &QAction::triggered, this, &EngineListView::openInNewWindows);
  } else {
    QAction* open = menu->addAction(QStringLiteral("Open in New Window"));
    open->setData(kIdOpenInNewWindow);
    connect(open, &QAction::triggered, this, &EngineListView::openInNewWindows);
  }
  if (selectedRowCount() > 0) {
    menu->addSeparator();
    QAction* check = menu->addAction(QStringLiteral("Check Targets"));
    check->setData(kIdCheckTargets);
    check->setEnabled(targetCheckAvailable_);
    connect(check, &QAction::triggered, this, [this] { emit targetCheckRequested(selectedRecords()); });
  }
  return menu;
}

void EngineListView::openInNewWindows() {
  for (int row = 0; row < rowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) emit openTargetRequested(recordAt(row), true);
  }
}

void EngineListView::updateRank(int row) {
  if (core::EngineRecord* record = recordAt(row)) {
    topLevelItem(row)->setText(kColumnRank, QString::number(rankOf(*record)));
  }
}

ListPrintDescription EngineListView::printDescription() const { return describeListForPrint(*this); }

void EngineListView::handleMessage(const core::Message& message) {
  switch (message.id) {
    case core::MessageId::kRecordChanged: {
      const auto* record = static_cast<const core::EngineRecord*>(message.record);
      const int64_t hint = message.param;
      // The row at the record's table index holds it unless the list was
      // sorted; then the record is looked up by address.
      if (hint >= 0 && hint < rowCount() && recordAt(static_cast<int>(hint)) == record) {
        updateRank(static_cast<int>(hint));
      } else if (const int row = rowOf(record); row >= 0) {
        updateRank(row);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace larkspur::ui
