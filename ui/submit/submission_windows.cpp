#include "ui/submit/submission_windows.h"

#include "ui/app/main_window.h"
#include "ui/browser/browser_pane.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

BrowserPane* installSubmissionWindows(MainWindow& frame, ProjectDocument& doc, core::Coordination& coordination,
                                      BatchContext batch) {
  auto* pane = new BrowserPane(doc.project(), coordination);
  pane->setObjectName(QStringLiteral("browserPane"));
  // Pages let go of their records when the engine list (and so the table it
  // shows) is torn down for a new or opened project.
  pane->setRecordOwner([&frame]() -> QObject* {
    NavigationView* items = frame.itemView();
    return items ? items->engineView() : nullptr;
  });
  pane->attachTo(frame);

  frame.setBatchRunner([&frame, &doc, &coordination, batch](const std::vector<core::EngineRecord*>& targets) {
    BatchContext context = batch;
    context.profile = &doc.project().profile;
    context.words = &doc.project().words;
    context.coordination = &coordination;
    BatchDialog dialog(targets, context, &frame);
    dialog.exec();
  });
  return pane;
}

}  // namespace larkspur::ui
