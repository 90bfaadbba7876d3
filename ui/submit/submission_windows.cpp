#include "ui/submit/submission_windows.h"

#include <QPointer>
#include <QStatusBar>

#include "ui/app/command_ids.h"
#include "ui/app/main_window.h"
#include "ui/browser/browser_pane.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

// Installs Back, Forward, Stop, Refresh and Close on the main window and
// feeds its page-load progress bar and status bar.
void attachBrowserPane(MainWindow& frame, BrowserPane* browser) {
  frame.setRightPane(browser, browser);
  // The commands outlive a pane that is replaced: they look for it first.
  const QPointer<BrowserPane> pane(browser);
  auto hasPage = [pane] { return pane && pane->selectedPage() != nullptr; };
  frame.installCommand(
      kIdBrowserBack, [pane] { if (pane) pane->back(); }, [pane] { return pane && pane->canGoBack(); });
  frame.installCommand(
      kIdBrowserForward, [pane] { if (pane) pane->forward(); }, [pane] { return pane && pane->canGoForward(); });
  frame.installCommand(kIdBrowserStop, [pane] { if (pane) pane->stop(); }, hasPage);
  frame.installCommand(kIdBrowserRefresh, [pane] { if (pane) pane->refresh(); }, hasPage);
  frame.installCommand(
      kIdCloseBrowserPage, [pane] { if (pane) pane->closeSelectedPage(); },
      [pane] { return pane && pane->pageCount() > 0; });
  QObject::connect(browser, &BrowserPane::pageLoadStarted, &frame, &MainWindow::pageLoadStarted);
  QObject::connect(browser, &BrowserPane::pageLoadProgress, &frame,
                   [&frame](long progress, long maximum) { frame.pageLoadProgress(progress, maximum); });
  QObject::connect(browser, &BrowserPane::statusMessage, &frame, [&frame](const QString& text) {
    frame.statusBar()->showMessage(text.isEmpty() ? QStringLiteral("Ready") : text);
  });
  QObject::connect(browser, &BrowserPane::commandStateChanged, &frame, &MainWindow::updateCommandUi);
}

}  // namespace

BrowserPane* installSubmissionWindows(MainWindow& frame, ProjectDocument& doc, core::Coordination& coordination,
                                      submit::SubmissionContext batch, BatchPace pace) {
  auto* pane = new BrowserPane(doc.project(), coordination);
  pane->setObjectName(QStringLiteral("browserPane"));
  // Pages let go of their records when the engine list (and so the table it
  // shows) is torn down for a new or opened project.
  pane->setRecordOwner([&frame]() -> QObject* {
    NavigationView* items = frame.itemView();
    return items ? items->engineView() : nullptr;
  });
  attachBrowserPane(frame, pane);

  frame.setBatchRunner([&frame, &doc, &coordination, batch, pace](const std::vector<core::EngineRecord*>& targets) {
    submit::SubmissionContext context = batch;
    context.profile = &doc.project().profile;
    context.words = &doc.project().words;
    context.coordination = &coordination;
    BatchDialog dialog(targets, context, pace, &frame);
    dialog.exec();
  });
  return pane;
}

}  // namespace larkspur::ui
