#pragma once
// Where the program's help page is and which page "Submit Services" opens.
//
// The help page is installed under the prefix as
// share/larkspur/help/larkspur-help.html; the build tree lays it out the same
// way beside the program (the build copies it there), so one rule finds it
// from the program's folder in both.

#include <QString>
#include <QUrl>

namespace larkspur::ui {

inline constexpr char kHelpPageName[] = "larkspur-help.html";
// The vendor's services page.
inline constexpr char kServicesPageAddress[] = "https://www.norvella.com/services";

// The help page found from `programFolder` (the folder of the running
// program): first the help folder relative to it, then larkspur/help under
// the XDG data folders. Empty when there is none.
QString findHelpPage(const QString& programFolder);

QUrl servicesPageUrl();

}  // namespace larkspur::ui
