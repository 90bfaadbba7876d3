#include "ui/lists/row_list_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "ui/browser/page_opening.h"
#include "ui/browser/target_opener.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/lists/find_dialog.h"

namespace larkspur::ui {

void RowListView::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() != QContextMenuEvent::Keyboard) return;
  QPoint at = viewport()->rect().center();
  if (QTreeWidgetItem* item = currentItem()) at = visualItemRect(item).center();
  showContextMenu(viewport()->mapToGlobal(at));
}

std::unique_ptr<QMenu> RowListView::makeContextMenu() { return nullptr; }

void RowListView::showContextMenu(const QPoint& globalPos) {
  if (std::unique_ptr<QMenu> menu = makeContextMenu()) menu->exec(globalPos);
}

void RowListView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    if (takeLeftPress(itemAt(pos), pos)) return;
    QTreeWidget::mousePressEvent(event);
    emitStatus();
    return;
  }
  if (event->button() == Qt::RightButton) {
    if (rightPressSelects_) QTreeWidget::mousePressEvent(event);
    showContextMenu(event->globalPosition().toPoint());
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

std::optional<QString> RowListView::pageAddressOf(const QTreeWidgetItem* item) const {
  (void)item;
  return std::nullopt;
}

void RowListView::openRowInNewPage(const QTreeWidgetItem* item) {
  const std::optional<QString> url = pageAddressOf(item);
  TargetOpener* pane = opener();
  if (url && pane) pane->openUrl(*url, true);
}

void RowListView::showSteppedRow(int row) {
  const std::optional<QString> url = pageAddressOf(topLevelItem(row));
  TargetOpener* pane = opener();
  if (url && pane) showInBrowserPane(*pane, *url);
}

bool RowListView::takeLeftPress(QTreeWidgetItem* item, const QPoint& pos) {
  (void)pos;
  const std::optional<QString> url = pageAddressOf(item);
  TargetOpener* pane = opener();
  if (url && pane && !bringOpenPageToFront(*pane, *url)) showInBrowserPane(*pane, *url);
  return false;
}

void RowListView::openDoubleClickedRow(QTreeWidgetItem* item) { openRowInNewPage(item); }

void RowListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) openDoubleClickedRow(item);
}

reports::ListView listViewOf(const QTreeWidget& view) {
  reports::ListView list;
  const QTreeWidgetItem* header = view.headerItem();
  for (int c = 0; c < view.columnCount(); ++c) {
    const int width = view.isColumnHidden(c) ? 0 : view.header()->sectionSize(c);
    list.columns.push_back({header->text(c).toStdString(), width});
  }
  for (int row = 0; row < view.topLevelItemCount(); ++row) {
    std::vector<std::string> texts;
    const QTreeWidgetItem* item = view.topLevelItem(row);
    for (int c = 0; c < view.columnCount(); ++c) {
      const QVariant bytes = item->data(c, kRecordTextRole);
      texts.push_back(bytes.isValid() ? bytes.toByteArray().toStdString() : item->text(c).toStdString());
    }
    list.rows.push_back(std::move(texts));
  }
  return list;
}

bool TextOrderItem::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}

RowListView::RowListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(-1, Qt::AscendingOrder);
  // The header flips its indicator on each click of the same column and
  // starts a new column ascending; the rows follow the indicator.
  connect(header(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
    if (column >= 0) sortItems(column, order);
  });
  // The counts follow the rows, whoever adds or removes them (a job's
  // message, an edit, an import) and however the selection changes.
  connect(model(), &QAbstractItemModel::rowsInserted, this, &RowListView::scheduleStatus);
  connect(model(), &QAbstractItemModel::rowsRemoved, this, &RowListView::scheduleStatus);
  connect(model(), &QAbstractItemModel::modelReset, this, &RowListView::scheduleStatus);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &RowListView::scheduleStatus);
}

void RowListView::scheduleStatus() {
  if (statusScheduled_) return;
  statusScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        statusScheduled_ = false;
        emitStatus();
      },
      Qt::QueuedConnection);
}

RowListView::~RowListView() {
  if (findDialog_) delete findDialog_.data();
}

bool RowListView::setUpColumns(std::span<const char* const> titles, std::initializer_list<int> centred,
                               const std::function<int(int)>& widthOf) {
  if (columnCount() > 1) return false;
  setColumnCount(static_cast<int>(titles.size()));
  QStringList labels;
  for (const char* title : titles) labels << QString::fromUtf8(title);
  setHeaderLabels(labels);
  for (int c : centred) headerItem()->setTextAlignment(c, Qt::AlignCenter);
  for (int c = 0; c < columnCount(); ++c) {
    const int width = widthOf(c);
    if (width > 0) {
      setColumnWidth(c, width);
    } else {
      setColumnHidden(c, true);
    }
  }
  return true;
}

int RowListView::shownColumnsWidth() const {
  int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  for (int c = 0; c < columnCount(); ++c) {
    if (!isColumnHidden(c)) width += columnWidth(c);
  }
  return width;
}

QList<int> RowListView::columnWidths() const {
  QList<int> widths;
  for (int c = 0; c < columnCount(); ++c) widths << (isColumnHidden(c) ? 0 : columnWidth(c));
  return widths;
}

void RowListView::applyColumnWidths(const QList<int>& widths) {
  for (int c = 0; c < std::min<int>(columnCount(), static_cast<int>(widths.size())); ++c) {
    if (!isColumnHidden(c) && widths[c] > 0) setColumnWidth(c, widths[c]);
  }
}

int RowListView::contentWidth(int column) const {
  return std::max(header()->sectionSizeHint(column), sizeHintForColumn(column));
}

int RowListView::readableWidth(int column, int atLeast) const {
  return std::max(atLeast, std::min(contentWidth(column), viewport()->width() / 2));
}

void RowListView::widenColumnsToContents(int limit, int paneWidth) {
  int room = paneWidth - shownColumnsWidth();
  for (int c = 0; c < columnCount() && room > 0; ++c) {
    if (isColumnHidden(c) || columnWidth(c) <= 0) continue;
    const int needed = std::min(limit, contentWidth(c));
    const int extra = std::min(needed - columnWidth(c), room);
    if (extra <= 0) continue;
    setColumnWidth(c, columnWidth(c) + extra);
    room -= extra;
  }
}

int RowListView::firstSelectedRow() const {
  for (int row = 0; row < rowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) return row;
  }
  return -1;
}

int RowListView::selectedRowCount() const { return static_cast<int>(selectedRows().size()); }

std::vector<int> RowListView::selectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < rowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) rows.push_back(row);
  }
  return rows;
}

QString RowListView::statusText() const {
  return QString::asprintf("Total Link:%4d Select:%4d", rowCount(), selectedRowCount());
}

void RowListView::emitStatus() { emit statusTextChanged(statusText()); }

void RowListView::find() {
  if (findDialog_) delete findDialog_.data();
  auto* dialog = new FindDialog(window());
  findDialog_ = dialog;
  connect(dialog, &FindDialog::findNextRequested, this, [this] {
    if (findDialog_) search(findDialog_->options(), false);
  });
  connect(dialog, &FindDialog::textChanged, this, &RowListView::commandStateChanged);
  connect(dialog, &FindDialog::closed, this, [this, dialog] {
    // A closed dialog is forgotten.
    if (findDialog_ == dialog) findDialog_ = nullptr;
    dialog->deleteLater();
    emit commandStateChanged();
  });
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  emit commandStateChanged();
}

FindDialog* RowListView::findDialog() const { return findDialog_.data(); }

bool RowListView::canFindNext() const { return findDialog_ && !findDialog_->text().isEmpty(); }

void RowListView::findNext() {
  if (canFindNext()) search(findDialog_->options(), true);
}

int RowListView::search(const FindOptions& options, bool repeat) {
  const int row = findListRow(
      rowCount(), columnCount(), [this](int r, int c) { return topLevelItem(r)->text(c); }, options,
      firstSelectedRow(), repeat);
  if (row >= 0) selectOnly(row);
  if (findDialog_) findDialog_->hide();
  if (row < 0) MessageBoxes::inform(this, QStringLiteral("Not found!"));
  return row;
}

void RowListView::selectOnly(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  clearSelection();
  setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  item->setSelected(true);
  scrollToItem(item);
}

void RowListView::selectAllRows() {
  selectAll();
  if (rowCount() > 0 && !currentItem()) setCurrentItem(topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
  emitStatus();
}

void RowListView::invertSelection() {
  if (rowCount() > 0) {
    const QItemSelection all(model()->index(0, 0), model()->index(rowCount() - 1, columnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
  }
  emitStatus();
}

void RowListView::step(bool up) {
  const int first = firstSelectedRow();
  const int target = stepListRow(rowCount(), first, up);
  if (target < 0) return;
  if (first >= 0) topLevelItem(first)->setSelected(false);
  QTreeWidgetItem* item = topLevelItem(target);
  setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  item->setSelected(true);
  scrollToItem(item);
  showSteppedRow(target);
  emitStatus();
}

}  // namespace larkspur::ui
