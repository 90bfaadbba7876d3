#include "ui/browser/browser_commands.h"

#include <QPointer>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/browser/browser_pane.h"

namespace larkspur::ui {

void installBrowserCommands(CommandHost& host, BrowserPane& browser) {
  host.setRightPane(&browser, &browser);
  // The commands outlive a pane that is replaced: they look for it first.
  const QPointer<BrowserPane> pane(&browser);
  auto hasPage = [pane] { return pane && pane->selectedPage() != nullptr; };
  host.installCommand(
      kIdBrowserBack, [pane] { if (pane) pane->back(); }, [pane] { return pane && pane->canGoBack(); });
  host.installCommand(
      kIdBrowserForward, [pane] { if (pane) pane->forward(); }, [pane] { return pane && pane->canGoForward(); });
  host.installCommand(kIdBrowserStop, [pane] { if (pane) pane->stop(); }, hasPage);
  host.installCommand(kIdBrowserRefresh, [pane] { if (pane) pane->refresh(); }, hasPage);
  host.installCommand(
      kIdCloseBrowserPage, [pane] { if (pane) pane->closeSelectedPage(); },
      [pane] { return pane && pane->pageCount() > 0; });
  QWidget* window = host.widget();
  QObject::connect(&browser, &BrowserPane::pageLoadStarted, window, [&host] { host.pageLoadStarted(); });
  QObject::connect(&browser, &BrowserPane::pageLoadProgress, window,
                   [&host](long progress, long maximum) { host.pageLoadProgress(progress, maximum); });
  QObject::connect(&browser, &BrowserPane::statusMessage, window, [&host](const QString& text) {
    host.showStatusMessage(text.isEmpty() ? QStringLiteral("Ready") : text);
  });
  QObject::connect(&browser, &BrowserPane::commandStateChanged, window, [&host] { host.updateCommandUi(); });
}

}  // namespace larkspur::ui
