#include "ui/app/work_area_commands.h"

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
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

ActiveViews activeViews(const CommandHost& host) {
  ActiveViews v;
  QWidget* active = host.activeView();
  v.rows = qobject_cast<RowListView*>(active);
  v.links = qobject_cast<LinkListView*>(active);
  v.ppc = qobject_cast<PpcListView*>(active);
  return v;
}

}  // namespace

void installWorkAreaCommands(CommandHost& host) {
  CommandHost* h = &host;
  auto active = [h] { return activeViews(*h); };
  auto anyActive = [active] { return active().rows != nullptr; };

  // Runs `command` on the selected tab's list.
  auto each = [active](void (RowListView::*command)()) {
    return [active, command] {
      if (RowListView* rows = active().rows) (rows->*command)();
    };
  };
  host.installCommand(kIdEditFind, each(&RowListView::find), anyActive);
  host.installCommand(kIdFindNext, each(&RowListView::findNext), [active] {
    const RowListView* rows = active().rows;
    return rows && rows->canFindNext();
  });
  host.installCommand(kIdSelectAll, each(&RowListView::selectAllRows), anyActive);
  host.installCommand(kIdInvertSelection, each(&RowListView::invertSelection), anyActive);
  host.installCommand(kIdUp, each(&RowListView::stepUp), anyActive);
  host.installCommand(kIdDown, each(&RowListView::stepDown), anyActive);

  host.installCommand(
      kIdEditCut, [active] { if (LinkListView* v = active().links) v->cut(); },
      [active] { return active().links != nullptr; });
  host.installCommand(
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
  auto linkView = [h] { return h->itemView()->linkView(); };
  auto hasLinkView = [linkView] { return linkView() != nullptr; };
  host.installCommand(kIdImportLinks, [linkView] { if (LinkListView* v = linkView()) v->importLinks(); },
                       hasLinkView);
  host.installCommand(kIdOutputLinks, [linkView] { if (LinkListView* v = linkView()) v->outputLinks(); },
                       hasLinkView);
}

}  // namespace larkspur::ui
