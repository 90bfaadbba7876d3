#include "ui/submit/submission_windows.h"

#include "ui/app/command_host.h"
#include "ui/browser/browser_commands.h"
#include "ui/browser/browser_pane.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"
#include "ui/submit/batch_commands.h"

namespace larkspur::ui {

BrowserPane* installSubmissionWindows(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination,
                                      submit::SubmissionContext batch, BatchPace pace) {
  auto* pane = new BrowserPane(doc.project(), coordination);
  pane->setObjectName(QStringLiteral("browserPane"));
  // Pages let go of their records when the engine list (and so the table it
  // shows) is torn down for a new or opened project.
  pane->setRecordOwner([&host]() -> QObject* {
    NavigationView* items = host.itemView();
    return items ? items->engineView() : nullptr;
  });
  installBrowserCommands(host, *pane);

  auto* commands = new BatchCommands(host, doc);
  commands->setRunner([&host, &doc, &coordination, batch, pace](const std::vector<core::EngineRecord*>& targets,
                                                                 const std::vector<core::EngineRecord*>& unhealthy) {
    submit::SubmissionContext context = batch;
    context.profile = &doc.project().profile;
    context.words = &doc.project().words;
    context.coordination = &coordination;
    BatchDialog dialog(targets, context, pace, host.widget());
    dialog.leaveOut(unhealthy);
    dialog.exec();
    // The window says how the batch ended once the dialog has gone.
    if (const QString end = dialog.endText(); !end.isEmpty()) host.showJobEnd(end);
  });
  return pane;
}

}  // namespace larkspur::ui
