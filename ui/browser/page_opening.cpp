#include "ui/browser/page_opening.h"

#include "ui/browser/target_opener.h"

namespace larkspur::ui {

int findOpenPage(const TargetOpener& opener, const QString& url) {
  const QString withSlash = url + QLatin1Char('/');
  const int count = opener.pageCount();
  for (int i = 0; i < count; ++i) {
    const QString address = opener.pageAddress(i);
    if (address == url || address == withSlash) return i;
  }
  return -1;
}

bool bringOpenPageToFront(TargetOpener& opener, const QString& url) {
  const int page = findOpenPage(opener, url);
  if (page < 0) return false;
  opener.selectPage(page);
  return true;
}

void showInBrowserPane(TargetOpener& opener, const QString& url) {
  opener.openUrl(url, opener.pageCount() == 0);
}

}  // namespace larkspur::ui
