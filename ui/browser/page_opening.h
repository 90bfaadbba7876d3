#pragma once
// How the link list and the PPC list show an address in the browser pane.

#include <QString>

namespace larkspur::ui {

class TargetOpener;

// The first page whose current address is `url` or `url` followed by "/"
// (exact, case-sensitive), or -1.
int findOpenPage(const TargetOpener& opener, const QString& url);

// Selects the page already showing `url`; false when there is none.
bool bringOpenPageToFront(TargetOpener& opener, const QString& url);

// Shows `url`: in a new page when the pane has none, else in the selected
// page.
void showInBrowserPane(TargetOpener& opener, const QString& url);

}  // namespace larkspur::ui
