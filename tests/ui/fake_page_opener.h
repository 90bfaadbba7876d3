#pragma once
// A browser pane stand-in for the list views' tests: a row of pages with
// their addresses, which page is selected, and every open, navigation and
// selection asked for.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "ui/browser/target_opener.h"

namespace larkspur::test {

class FakePageOpener : public ui::TargetOpener {
 public:
  void openTarget(core::EngineRecord&, bool) override {}
  int pageCount() const override { return static_cast<int>(pages.size()); }
  QString pageAddress(int index) const override { return pages.at(static_cast<std::size_t>(index)); }
  void selectPage(int index) override {
    selected = index;
    selections.push_back(index);
  }
  void openUrl(const QString& url, bool newPage) override {
    opened.push_back({url, newPage});
    if (newPage || pages.empty()) {
      pages.push_back(url);
      selected = pageCount() - 1;
    } else {
      pages[static_cast<std::size_t>(selected)] = url;
    }
  }

  std::vector<QString> pages;
  int selected = -1;
  std::vector<int> selections;
  std::vector<std::pair<QString, bool>> opened;  // url, new page
};

}  // namespace larkspur::test
