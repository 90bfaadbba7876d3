#include "ui/lists/ppc_list_view.h"

#include <QMenu>
#include <QUrl>

#include "core/fixed_text.h"
#include "ui/app/link_command_ids.h"
#include "ui/browser/page_opening.h"
#include "ui/browser/target_opener.h"
#include "ui/dialogs/desktop_launcher.h"
#include "ui/lists/clipboard_text.h"

namespace larkspur::ui {

namespace {

const char* const kColumnTitles[] = {"PPC Search Engine", "Country", "Rank"};
// The engine list's columns whose widths this list takes.
constexpr std::size_t kEngineColumnOf[] = {0, 1, 3};

using PpcItem = RecordItem<const core::PpcRecord>;

QString qtext(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

const core::PpcRecord* recordOf(const QTreeWidgetItem* item) {
  return item ? static_cast<const PpcItem*>(item)->record() : nullptr;
}

QString urlOf(const core::PpcRecord& record) { return qtext(core::fieldView(record.url)); }

}  // namespace

PpcListView::PpcListView(const core::PpcList& ppc, const core::ColumnWidths& engineWidths, QWidget* parent)
    : RowListView(parent), ppc_(ppc), engineWidths_(engineWidths) {
  setMouseTracking(true);  // hot rows follow the mouse
  // The right button leaves the selection as it is.
  setRightPressSelects(false);
}

void PpcListView::fill() {
  if (setUpColumns(kColumnTitles, {kColumnRank}, [this](int c) { return engineWidths_[kEngineColumnOf[c]]; })) {
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < ppc_.size(); ++i) {
      const core::PpcRecord* record = ppc_.at(i);
      if (!record) continue;
      auto* item = new PpcItem(record);
      item->setText(kColumnName, qtext(core::fieldView(record->name)));
      item->setText(kColumnCountry, qtext(core::fieldView(record->country)));
      item->setText(kColumnRank, QString::number(record->rank));
      item->setTextAlignment(kColumnRank, Qt::AlignCenter);
      items.append(item);
    }
    addTopLevelItems(items);
  }
  emitStatus();
}

const core::PpcRecord* PpcListView::recordAt(int row) const { return recordOf(topLevelItem(row)); }

int PpcListView::rowOf(const core::PpcRecord* record) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (recordAt(row) == record) return row;
  }
  return -1;
}

void PpcListView::openInNewWindow() { openRowInNewPage(topLevelItem(firstSelectedRow())); }

void PpcListView::openInBrowser() {
  const core::PpcRecord* record = recordAt(firstSelectedRow());
  // A page the desktop cannot open fails silently.
  if (record) openOnDesktop(this, QUrl(urlOf(*record)));
}

bool PpcListView::copy() {
  QString text;
  for (int row : selectedRows()) {
    if (const core::PpcRecord* record = recordAt(row)) text += qtext(core::fieldView(record->name)) + "\r\n";
  }
  return putTextOnClipboard(this, text);
}

std::optional<QString> PpcListView::pageAddressOf(const QTreeWidgetItem* item) const {
  const core::PpcRecord* record = recordOf(item);
  if (!record) return std::nullopt;
  return urlOf(*record);
}

bool PpcListView::takeLeftPress(QTreeWidgetItem* item, const QPoint& pos) {
  (void)pos;
  const std::optional<QString> url = pageAddressOf(item);
  TargetOpener* pane = opener();
  if (!url || !pane) return false;
  // A page that shows the service already is brought to the front, and that
  // is all the click does.
  if (bringOpenPageToFront(*pane, *url)) return true;
  showInBrowserPane(*pane, *url);
  return false;
}

std::unique_ptr<QMenu> PpcListView::makeContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  QAction* newWindow = menu->addAction(QStringLiteral("Open in New Window"));
  newWindow->setData(kIdPpcOpenInNewWindow);
  connect(newWindow, &QAction::triggered, this, &PpcListView::openInNewWindow);
  QAction* browser = menu->addAction(QStringLiteral("Open in Browser"));
  browser->setData(kIdPpcOpenInBrowser);
  connect(browser, &QAction::triggered, this, &PpcListView::openInBrowser);
  return menu;
}

}  // namespace larkspur::ui
