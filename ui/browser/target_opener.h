#pragma once
// What the right-hand pane of the main window offers the list views: opening
// a target's add-URL page, in the selected page (reused) or in a new one, with
// the Engine record attached so the page fills the target's form; and pages
// opened by address (links, pay-per-click services), which the link list and
// the PPC list look up by their current address before opening another.
//
// The address operations default to a pane without pages that opens nothing,
// so an opener that only opens targets still works; the browser pane
// overrides them.

#include <QString>

#include "core/engine_record.h"

namespace larkspur::ui {

class TargetOpener {
 public:
  virtual ~TargetOpener() = default;
  virtual void openTarget(core::EngineRecord& record, bool newPage) = 0;

  // The number of browser pages, in tab order.
  virtual int pageCount() const { return 0; }
  // The current address of the page at `index` (0 <= index < pageCount()).
  virtual QString pageAddress(int index) const {
    (void)index;
    return {};
  }
  // Brings the page at `index` to the front (selects its tab).
  virtual void selectPage(int index) { (void)index; }
  // Opens `url` in a new page, which becomes the selected one (`newPage`), or
  // navigates the selected page to it.
  virtual void openUrl(const QString& url, bool newPage) {
    (void)url;
    (void)newPage;
  }
};

}  // namespace larkspur::ui
