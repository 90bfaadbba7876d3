#include "ui/app/work_area_commands.h"

#include "ui/app/command_ids.h"
#include "ui/app/main_window.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/lists/ppc_list_view.h"
#include "ui/lists/row_list_view.h"

namespace larkspur::ui {

namespace {

// The selected tab's view, as the list kind that a command needs.
struct ActiveViews {
  RowListView* rows = nullptr;  // any of the three lists
  LinkListView* links = nullptr;
  PpcListView* ppc = nullptr;
};

ActiveViews activeViews(const MainWindow& frame) {
  ActiveViews v;
  QWidget* active = frame.itemView()->activeView();
  v.rows = qobject_cast<RowListView*>(active);
  v.links = qobject_cast<LinkListView*>(active);
  v.ppc = qobject_cast<PpcListView*>(active);
  return v;
}

}  // namespace

void installWorkAreaCommands(MainWindow& frame) {
  MainWindow* f = &frame;
  auto active = [f] { return activeViews(*f); };
  auto anyActive = [active] { return active().rows != nullptr; };

  // Runs `command` on the selected tab's list.
  auto each = [active](void (RowListView::*command)()) {
    return [active, command] {
      if (RowListView* rows = active().rows) (rows->*command)();
    };
  };
  frame.installCommand(kIdEditFind, each(&RowListView::find), anyActive);
  frame.installCommand(kIdFindNext, each(&RowListView::findNext), [active] {
    const RowListView* rows = active().rows;
    return rows && rows->canFindNext();
  });
  frame.installCommand(kIdSelectAll, each(&RowListView::selectAllRows), anyActive);
  frame.installCommand(kIdInvertSelection, each(&RowListView::invertSelection), anyActive);
  frame.installCommand(kIdUp, each(&RowListView::stepUp), anyActive);
  frame.installCommand(kIdDown, each(&RowListView::stepDown), anyActive);

  frame.installCommand(
      kIdEditCut, [active] { if (LinkListView* v = active().links) v->cut(); },
      [active] { return active().links != nullptr; });
  frame.installCommand(
      kIdEditCopy,
      [active] {
        const ActiveViews v = active();
        if (v.links) v.links->copy();
        if (v.ppc) v.ppc->copy();
      },
      [active] {
        const ActiveViews v = active();
        return v.links || v.ppc;
      });

  // The link list's file commands work from every tab.
  auto linkView = [f] { return f->itemView()->linkView(); };
  auto hasLinkView = [linkView] { return linkView() != nullptr; };
  frame.installCommand(kIdImportLinks, [linkView] { if (LinkListView* v = linkView()) v->importLinks(); },
                       hasLinkView);
  frame.installCommand(kIdOutputLinks, [linkView] { if (LinkListView* v = linkView()) v->outputLinks(); },
                       hasLinkView);
}

}  // namespace larkspur::ui
