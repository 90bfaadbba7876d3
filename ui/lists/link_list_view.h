#pragma once
// The link list ("Link To <host>"): one row per Link record with its URL,
// title, rank, note, e-mail and IP address, and after them what the last
// links check found (hidden until chosen in "Item Select"); the contact name
// shows as the tip of the e-mail cell. Rows hold the addresses of their records and find them
// in the Link list by address, so a row never reads a record that has been
// deleted, and sorting moves rows only. Workers announce new and changed
// records by messages; the view adds and refreshes rows from them.

#include <QHash>
#include <filesystem>
#include <memory>

#include "core/link_list.h"
#include "core/messages.h"
#include "core/settings_store.h"
#include "reports/list_view.h"
#include "ui/lists/row_list_view.h"
#include "ui/printing/list_print_description.h"

class QMenu;

namespace larkspur::core {
class Project;
}

namespace larkspur::ui {

class LinkListView : public RowListView, public ListPrintSource {
  Q_OBJECT

 public:
  enum Column {
    kColumnUrl = 0,
    kColumnTitle,
    kColumnRank,
    kColumnNote,
    kColumnEmail,
    kColumnIp,
    // What the last links check found (reports::linkDetailColumns).
    kColumnHttpStatus,
    kColumnFinalUrl,
    kColumnLinkFound,
    kColumnAnchor,
    kColumnRel,
    kColumnIndexable,
    kColumnFirstSeen,
    kColumnLastChecked,
    kColumnLostSince,
    kColumnCount
  };
  static constexpr int kFirstDetailColumn = kColumnHttpStatus;

  // `widths`: the first six entries give those columns' widths (0 hides
  // one); the check's columns start hidden (see showDetailColumns).
  LinkListView(core::LinkList& links, const core::ColumnWidths& widths, QWidget* parent = nullptr);

  // Inserts the columns (once) and one row per record, in list order.
  void fill();

  // The rows and columns as shown, for the list printer.
  ListPrintDescription printDescription() const override;

  // The record a row shows (its address; it may have left the list).
  const core::LinkRecord* recordAt(int row) const;
  // The row showing `record`, or -1.
  int rowOf(const core::LinkRecord* record) const;

  // Columns: a hidden column has width 0; shown again it gets its own width.
  bool columnShown(int column) const;
  void setColumnShown(int column, bool shown);
  // The width a column gets when it is shown again.
  static int shownAgainWidth(int column);
  // The shown columns, in column order.
  QList<int> shownColumns() const;
  // `widths` with exactly the `shown` columns of the first six shown: a
  // column hidden there gets the width it is shown again with.
  static core::ColumnWidths widthsShowing(core::ColumnWidths widths, const QList<int>& shown);
  // Shows the check's columns among `shown` and hides the others (their
  // state is the window layout's, never the settings' widths).
  void showDetailColumns(const QList<int>& shown);

  // The context menu as a right click shows it, "Item Select" rebuilt.
  std::unique_ptr<QMenu> makeContextMenu() override;

  // Commands.
  void addLink();
  void editLink();
  void deleteSelected();
  void cut();
  // False when the clipboard could not be used (the user has been told).
  bool copy();
  void openInBrowser();
  void sendEmail();
  void openInNewWindow();
  // The file dialogs start in the project's folder (see startFolder), and
  // the export proposes HOST-links.txt after its profile's host, and an
  // import keeps the rows of that host (none: every row); read when a dialog
  // opens, so a Save As or a profile edit meanwhile counts.
  void setProject(const core::Project* project) { project_ = project; }
  void importLinks();
  void outputLinks();

  // Messages from the link search, the link info update and the links check.
  void handleMessage(const core::Message& message);

 signals:
  // The user changed the Link list.
  void recordsModified();

 protected:
  // The link's URL while the link is in the list.
  std::optional<QString> pageAddressOf(const QTreeWidgetItem* item) const override;

 private:
  QTreeWidgetItem* appendRow(const core::LinkList::Ptr& record);
  void refreshRow(QTreeWidgetItem* item, bool allTexts);
  // The first selected row's record while it is in the list.
  core::LinkList::Ptr firstSelectedRecord() const;
  std::vector<const core::LinkRecord*> selectedRecords() const;
  void addMissingRows();
  // The project's file; empty when it has none (or no project is known).
  std::filesystem::path projectFile() const;

  core::LinkList& links_;
  const core::Project* project_ = nullptr;
  core::ColumnWidths widths_;
  QHash<const core::LinkRecord*, QTreeWidgetItem*> rows_;
};

// What the link list shows, as exports take it: the columns with their
// titles and widths (0 when hidden) and the rows in display order.
reports::ListView linkListExportView(const LinkListView& view);

}  // namespace larkspur::ui
