#pragma once
// The browser pane in the main window: the pane becomes the window's
// right-hand pane (opening the lists' targets), the toolbar's Back, Forward,
// Stop, Refresh and Close act on its selected page, and its pages feed the
// page-load progress bar and the status bar.

namespace larkspur::ui {

class BrowserPane;
class CommandHost;

void installBrowserCommands(CommandHost& host, BrowserPane& pane);

}  // namespace larkspur::ui
