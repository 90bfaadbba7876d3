#include "ui/lists/link_list_view.h"

#include <QHeaderView>
#include <QMenu>
#include <QUrl>
#include <algorithm>

#include "core/fixed_text.h"
#include "core/link_import.h"
#include "core/link_list_edit.h"
#include "core/project.h"
#include "core/visible_text.h"
#include "core/website_profile.h"
#include "links/backlink_import.h"
#include "reports/list_export.h"
#include "ui/app/command_ids.h"
#include "ui/app/link_command_ids.h"
#include "ui/browser/page_opening.h"
#include "ui/browser/target_opener.h"
#include "ui/dialogs/desktop_launcher.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/lists/clipboard_text.h"
#include "ui/lists/link_dialog.h"
#include "ui/project/file_dialogs.h"

namespace larkspur::ui {

namespace {

const char* const kListColumnTitles[] = {"Link URL", "Link Title", "Rank", "Note", "Email", "IP Address"};
constexpr int kListShownAgainWidths[] = {88, 88, 48, 48, 80, 100};

// The list's columns, then the check's, as reports name them.
const std::vector<reports::ViewColumn>& detailColumns() {
  static const std::vector<reports::ViewColumn> columns = reports::linkDetailColumns();
  return columns;
}

const std::vector<const char*>& columnTitles() {
  static const std::vector<const char*> titles = [] {
    std::vector<const char*> all(std::begin(kListColumnTitles), std::end(kListColumnTitles));
    for (const reports::ViewColumn& column : detailColumns()) all.push_back(column.title.c_str());
    return all;
  }();
  return titles;
}

// A row: the address of its record and the texts' case-insensitive order.
using LinkItem = RecordItem<const core::LinkRecord>;

QString qtext(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A cell shows its record's text with control characters made visible
// (they come from other people's pages) and keeps the bytes for exports.
void setCell(QTreeWidgetItem* item, int column, const std::string& bytes) {
  item->setText(column, qtext(core::visibleText(bytes)));
  item->setData(column, kRecordTextRole, QByteArray::fromStdString(bytes));
}

const core::LinkRecord* recordOf(const QTreeWidgetItem* item) {
  return item ? static_cast<const LinkItem*>(item)->record() : nullptr;
}

// What a row shows of its record, read under the list's lock.
struct RowTexts {
  std::vector<std::string> columns;
  std::string contactName;
};

}  // namespace

LinkListView::LinkListView(core::LinkList& links, const core::ColumnWidths& widths, QWidget* parent)
    : RowListView(parent), links_(links), widths_(widths) {
  setContextMenuPolicy(Qt::DefaultContextMenu);
}

int LinkListView::shownAgainWidth(int column) {
  if (column < 0 || column >= kColumnCount) return 0;
  if (column < kFirstDetailColumn) return kListShownAgainWidths[column];
  return detailColumns()[static_cast<std::size_t>(column - kFirstDetailColumn)].width;
}

void LinkListView::fill() {
  static_assert(std::size(kListColumnTitles) == kFirstDetailColumn);
  const auto widthOf = [this](int c) { return c < kFirstDetailColumn ? widths_[static_cast<std::size_t>(c)] : 0; };
  if (setUpColumns(columnTitles(), {kColumnRank, kColumnHttpStatus, kColumnLinkFound}, widthOf)) {
    for (const core::LinkList::Ptr& record : links_.snapshot()) appendRow(record);
  }
  emitStatus();
}

QTreeWidgetItem* LinkListView::appendRow(const core::LinkList::Ptr& record) {
  auto* item = new LinkItem(record.get());
  for (int c : {kColumnRank, kColumnHttpStatus, kColumnLinkFound}) item->setTextAlignment(c, Qt::AlignCenter);
  rows_.insert(record.get(), item);
  addTopLevelItem(item);
  refreshRow(item, true);
  return item;
}

void LinkListView::refreshRow(QTreeWidgetItem* item, bool allTexts) {
  core::LinkList::Ptr record = links_.find(recordOf(item));
  if (!record) return;
  const RowTexts texts = links_.withLock([&] {
    return RowTexts{reports::linkRowTexts(*record), record->contact_name.str()};
  });
  if (allTexts) {
    for (int c = 0; c < kColumnCount; ++c) setCell(item, c, texts.columns[static_cast<std::size_t>(c)]);
  } else {
    // What the link info update and the links check write.
    for (int c : {kColumnRank, kColumnEmail, kColumnIp}) setCell(item, c, texts.columns[static_cast<std::size_t>(c)]);
    for (int c = kFirstDetailColumn; c < kColumnCount; ++c) {
      setCell(item, c, texts.columns[static_cast<std::size_t>(c)]);
    }
  }
  // The contact name goes with the e-mail address it belongs to.
  item->setToolTip(kColumnEmail, texts.contactName.empty()
                                     ? QString()
                                     : QStringLiteral("Contact name: %1").arg(qtext(texts.contactName)));
}

const core::LinkRecord* LinkListView::recordAt(int row) const { return recordOf(topLevelItem(row)); }

int LinkListView::rowOf(const core::LinkRecord* record) const {
  QTreeWidgetItem* item = rows_.value(record, nullptr);
  return item ? indexOfTopLevelItem(item) : -1;
}

bool LinkListView::columnShown(int column) const { return !isColumnHidden(column) && columnWidth(column) > 0; }

void LinkListView::setColumnShown(int column, bool shown) {
  if (column < 0 || column >= kColumnCount) return;
  if (shown) {
    setColumnHidden(column, false);
    setColumnWidth(column, readableWidth(column, shownAgainWidth(column)));
  } else {
    setColumnHidden(column, true);
  }
}

QList<int> LinkListView::shownColumns() const {
  QList<int> shown;
  for (int c = 0; c < kColumnCount; ++c) {
    if (columnShown(c)) shown << c;
  }
  return shown;
}

core::ColumnWidths LinkListView::widthsShowing(core::ColumnWidths widths, const QList<int>& shown) {
  for (int c = 0; c < kFirstDetailColumn; ++c) {
    int32_t& width = widths[static_cast<std::size_t>(c)];
    if (!shown.contains(c)) {
      width = 0;
    } else if (width <= 0) {
      width = shownAgainWidth(c);
    }
  }
  return widths;
}

void LinkListView::showDetailColumns(const QList<int>& shown) {
  for (int c = kFirstDetailColumn; c < columnCount(); ++c) {
    if (shown.contains(c) != columnShown(c)) setColumnShown(c, shown.contains(c));
  }
}

core::LinkList::Ptr LinkListView::firstSelectedRecord() const {
  const int row = firstSelectedRow();
  return row < 0 ? nullptr : links_.find(recordAt(row));
}

std::vector<const core::LinkRecord*> LinkListView::selectedRecords() const {
  std::vector<const core::LinkRecord*> records;
  for (int row : selectedRows()) records.push_back(recordAt(row));
  return records;
}

// ---------------------------------------------------------------- editing

void LinkListView::addLink() {
  core::LinkFields fields = core::linkFieldsOf(core::zeroLinkRecord());
  LinkDialog dialog(fields, this);
  if (dialog.exec() == QDialog::Accepted) {
    const core::AddLinkResult added = core::addLink(links_, fields, core::linkTimeNow());
    if (added.status.ok()) {
      if (core::LinkList::Ptr record = links_.find(added.record)) appendRow(record);
      emit recordsModified();
    }
  }
  emitStatus();
}

void LinkListView::editLink() {
  core::LinkList::Ptr record = firstSelectedRecord();
  if (!record) return;
  core::LinkFields fields = links_.withLock([&] { return core::linkFieldsOf(*record); });
  LinkDialog dialog(fields, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const core::Status edited = core::editLink(links_, record.get(), fields, core::linkTimeNow());
  if (!edited.ok()) {
    MessageBoxes::warn(this, QString::fromStdString(edited.message));
    return;
  }
  if (QTreeWidgetItem* item = rows_.value(record.get(), nullptr)) refreshRow(item, true);
  emit recordsModified();
}

void LinkListView::deleteSelected() {
  const std::vector<int> rows = selectedRows();
  std::vector<const core::LinkRecord*> records;
  for (int row : rows) records.push_back(recordAt(row));
  // A worker still holding a removed record keeps it alive until it lets go.
  core::deleteLinks(links_, records);
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    QTreeWidgetItem* item = takeTopLevelItem(*it);
    rows_.remove(recordOf(item));
    delete item;
  }
  if (!rows.empty()) emit recordsModified();
  emitStatus();
}

bool LinkListView::copy() {
  const std::vector<const core::LinkRecord*> records = selectedRecords();
  return putTextOnClipboard(this, qtext(core::copyLinkText(links_, records)));
}

void LinkListView::cut() {
  // What could not be copied is not deleted.
  if (copy()) deleteSelected();
}

// ---------------------------------------------------------------- opening

void LinkListView::openInBrowser() {
  core::LinkList::Ptr record = firstSelectedRecord();
  if (!record) return;
  const QString url = links_.withLock([&] { return qtext(record->url.view()); });
  openOnDesktop(this, QUrl::fromUserInput(url));
}

void LinkListView::sendEmail() {
  core::LinkList::Ptr record = firstSelectedRecord();
  if (!record) return;
  const QString email = links_.withLock([&] { return qtext(record->email.view()); });
  openOnDesktop(this, QUrl(QStringLiteral("mailto:") + email, QUrl::TolerantMode));
}

void LinkListView::openInNewWindow() { openRowInNewPage(topLevelItem(firstSelectedRow())); }

std::optional<QString> LinkListView::pageAddressOf(const QTreeWidgetItem* item) const {
  core::LinkList::Ptr record = links_.find(recordOf(item));
  if (!record) return std::nullopt;
  return links_.withLock([&] { return qtext(record->url.view()); });
}

std::unique_ptr<QMenu> LinkListView::makeContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  auto add = [this, &menu](const char* text, int id, void (LinkListView::*method)()) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    a->setData(id);
    connect(a, &QAction::triggered, this, method);
  };
  add("Add", kIdLinkAdd, &LinkListView::addLink);
  add("Edit", kIdLinkEdit, &LinkListView::editLink);
  add("Delete", kIdLinkDelete, &LinkListView::deleteSelected);
  menu->addSeparator();
  add("Cut", kIdEditCut, &LinkListView::cut);
  QAction* copyAction = menu->addAction(QStringLiteral("Copy"));
  copyAction->setData(kIdEditCopy);
  connect(copyAction, &QAction::triggered, this, [this] { copy(); });
  menu->addSeparator();
  add("Open In Browser", kIdLinkOpenInBrowser, &LinkListView::openInBrowser);
  add("Open in new window", kIdLinkOpenInNewWindow, &LinkListView::openInNewWindow);
  add("Send Email", kIdLinkSendEmail, &LinkListView::sendEmail);
  menu->addSeparator();
  add("&Find", kIdEditFind, &LinkListView::find);
  add("Select &All", kIdSelectAll, &LinkListView::selectAllRows);
  add("&Invert Selection", kIdInvertSelection, &LinkListView::invertSelection);
  menu->addSeparator();
  add("Import Links From File", kIdImportLinks, &LinkListView::importLinks);
  add("Output Links  To File", kIdOutputLinks, &LinkListView::outputLinks);
  menu->addSeparator();

  QMenu* columns = menu->addMenu(QStringLiteral("Item Select"));
  columns->setObjectName(QStringLiteral("Item Select"));
  for (int c = 0; c < columnCount(); ++c) {
    QAction* a = columns->addAction(headerItem()->text(c));
    a->setData(kIdFirstColumnToggle + c);
    a->setCheckable(true);
    a->setChecked(columnShown(c));
    connect(a, &QAction::triggered, this, [this, c] { setColumnShown(c, !columnShown(c)); });
  }
  return menu;
}

// ---------------------------------------------------------------- files

void LinkListView::addMissingRows() {
  // Records appended meanwhile by a search get their rows here or from their
  // own message, whichever comes first.
  for (const core::LinkList::Ptr& record : links_.snapshot()) {
    if (!rows_.contains(record.get())) appendRow(record);
  }
}

std::filesystem::path LinkListView::projectFile() const {
  return project_ ? project_->path() : std::filesystem::path();
}

void LinkListView::importLinks() {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Open;
  request.caption = QStringLiteral("Open");
  // A name pattern proposed in the dialog would hide every other kind.
  request.filter = QStringLiteral("Link files (*.csv *.tsv *.txt *.zip);;TEXT (*.txt)");
  request.proposedPath = startFolder(projectFile());
  const QString path = FileDialogs::run(this, request);
  if (path.isEmpty()) return;
  links::BacklinkImportOptions options;
  if (project_) options.websiteHost = std::string(core::fieldView(project_->profile.host));
  options.now = core::linkTimeNow();
  const links::BacklinkImport imported = links::importBacklinkFile(links_, path.toStdString(), options);
  if (!imported.status.ok()) {
    MessageBoxes::warn(this, QString::fromStdString(imported.status.message));
    return;
  }
  addMissingRows();
  if (imported.changedList()) emit recordsModified();
  emitStatus();
  if (!imported.plainText) {
    MessageBoxes::inform(this, QString::fromStdString(links::importSummary(imported)));
  } else if (imported.plain.refused > 0) {
    MessageBoxes::warn(this, QString::fromStdString(core::refusedLinesText(imported.plain.refused)));
  }
}

void LinkListView::outputLinks() {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Save;
  request.caption = QStringLiteral("Save As");
  // A name typed without an extension takes the chosen filter's first one.
  request.filter = QStringLiteral(
      "TXT File (*.txt);;HTML File (*.htm *.html);;XML File (*.xml);;Excel Workbook (*.xlsx *.xls)");
  request.defaultSuffix = QStringLiteral("txt");
  const std::string_view host = project_ ? core::fieldView(project_->profile.host) : std::string_view();
  const QString name = host.empty() ? QStringLiteral("links.txt") : QStringLiteral("%1-links.txt").arg(qtext(host));
  request.proposedPath = inStartFolder(projectFile(), name);
  const QString path = FileDialogs::run(this, request);
  if (path.isEmpty()) return;
  const core::Status written = reports::exportListView(linkListExportView(*this), path.toStdString());
  if (!written.ok()) MessageBoxes::warn(this, QString::fromStdString(written.message));
}

// ---------------------------------------------------------------- messages

void LinkListView::handleMessage(const core::Message& message) {
  const auto* address = static_cast<const core::LinkRecord*>(message.record);
  if (!address) return;
  switch (message.id) {
    case core::MessageId::kLinkFound: {
      if (rows_.contains(address)) return;
      if (core::LinkList::Ptr record = links_.find(address)) appendRow(record);
      break;
    }
    case core::MessageId::kRecordChanged: {
      // The row is found by its record, wherever sorting has put it.
      if (QTreeWidgetItem* item = rows_.value(address, nullptr)) refreshRow(item, false);
      break;
    }
    default:
      break;
  }
}

reports::ListView linkListExportView(const LinkListView& view) { return listViewOf(view); }

ListPrintDescription LinkListView::printDescription() const { return describeListForPrint(*this); }

}  // namespace larkspur::ui
