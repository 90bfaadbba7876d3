#pragma once
// The "PPC Manage" list: the pay-per-click services of the PPC list with
// their country and rank. The list is read-only; a click shows a service's
// advertiser page in the browser pane (bringing a page that already shows it
// to the front), a double click or the menu opens it in a new page or in the
// desktop's browser.

#include <memory>

#include "core/ppc_list.h"
#include "core/settings_store.h"
#include "ui/lists/row_list_view.h"

class QMenu;

namespace larkspur::ui {

class PpcListView : public RowListView {
  Q_OBJECT

 public:
  enum Column { kColumnName = 0, kColumnCountry, kColumnRank, kColumnCount };

  // `engineWidths`: the engine list's saved widths; its columns 0, 1 and 3
  // give this list's three.
  PpcListView(const core::PpcList& ppc, const core::ColumnWidths& engineWidths, QWidget* parent = nullptr);

  // Inserts the columns and the rows once, then refreshes the status text.
  void fill();

  const core::PpcRecord* recordAt(int row) const;
  int rowOf(const core::PpcRecord* record) const;

  // The right button's menu: "Open in New Window", "Open in Browser".
  std::unique_ptr<QMenu> makeContextMenu() override;

  // Commands.
  void openInNewWindow();
  void openInBrowser();
  bool copy();

 protected:
  // The service's advertiser page.
  std::optional<QString> pageAddressOf(const QTreeWidgetItem* item) const override;
  // A click shows the service's page; one that shows it already is only
  // brought to the front, and the selection stays.
  bool takeLeftPress(QTreeWidgetItem* item, const QPoint& pos) override;

 private:
  const core::PpcList& ppc_;
  core::ColumnWidths engineWidths_;
};

}  // namespace larkspur::ui
