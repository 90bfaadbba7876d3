#pragma once
// What the right-hand pane of the main window offers the list views: opening
// a target's add-URL page, in the selected page (reused) or in a new one, with
// the Engine record attached so the page fills the target's form.

#include "core/engine_record.h"

namespace larkspur::ui {

class TargetOpener {
 public:
  virtual ~TargetOpener() = default;
  virtual void openTarget(core::EngineRecord& record, bool newPage) = 0;
};

}  // namespace larkspur::ui
