#include "ui/app/work_area_commands.h"

#include "ui/app/command_ids.h"
#include "ui/app/main_window.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/lists/ppc_list_view.h"

namespace larkspur::ui {

namespace {

// The selected tab's view, as the list kind that a command needs.
struct ActiveViews {
  EngineListView* engines = nullptr;
  RowListView* rows = nullptr;  // the link list or the PPC list
  LinkListView* links = nullptr;
  PpcListView* ppc = nullptr;
  bool any() const { return engines || rows; }
};

ActiveViews activeViews(const MainWindow& frame) {
  ActiveViews v;
  QWidget* active = frame.itemView()->activeView();
  v.engines = qobject_cast<EngineListView*>(active);
  v.links = qobject_cast<LinkListView*>(active);
  v.ppc = qobject_cast<PpcListView*>(active);
  v.rows = v.links ? static_cast<RowListView*>(v.links) : static_cast<RowListView*>(v.ppc);
  return v;
}

}  // namespace

void installWorkAreaCommands(MainWindow& frame) {
  MainWindow* f = &frame;
  auto active = [f] { return activeViews(*f); };
  auto anyActive = [active] { return active().any(); };

  // Runs `onEngines` or `onRows` on the selected tab's list.
  auto each = [active](void (EngineListView::*onEngines)(), void (RowListView::*onRows)()) {
    return [active, onEngines, onRows] {
      const ActiveViews v = active();
      if (v.engines) (v.engines->*onEngines)();
      if (v.rows) (v.rows->*onRows)();
    };
  };
  frame.installCommand(kIdEditFind, each(&EngineListView::find, &RowListView::find), anyActive);
  frame.installCommand(kIdFindNext, each(&EngineListView::findNext, &RowListView::findNext), [active] {
    const ActiveViews v = active();
    return (v.engines && v.engines->canFindNext()) || (v.rows && v.rows->canFindNext());
  });
  frame.installCommand(kIdSelectAll, each(&EngineListView::selectAllRows, &RowListView::selectAllRows), anyActive);
  frame.installCommand(kIdInvertSelection, each(&EngineListView::invertSelection, &RowListView::invertSelection),
                       anyActive);
  frame.installCommand(kIdUp, each(&EngineListView::stepUp, &RowListView::stepUp), anyActive);
  frame.installCommand(kIdDown, each(&EngineListView::stepDown, &RowListView::stepDown), anyActive);

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
      [active] { return active().rows != nullptr; });

  // The link list's file commands work from every tab.
  auto linkView = [f] { return f->itemView()->linkView(); };
  auto hasLinkView = [linkView] { return linkView() != nullptr; };
  frame.installCommand(kIdImportLinks, [linkView] { if (LinkListView* v = linkView()) v->importLinks(); },
                       hasLinkView);
  frame.installCommand(kIdOutputLinks, [linkView] { if (LinkListView* v = linkView()) v->outputLinks(); },
                       hasLinkView);
}

}  // namespace larkspur::ui
