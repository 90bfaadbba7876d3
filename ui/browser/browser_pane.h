#pragma once
// The browser pane: the right-hand side of the main window, holding any
// number of browser pages (BrowserPage) as tabs. It opens pages for the list views
// (a target's add-URL page with its record attached, or a plain address) and
// for the new windows a page asks for, keeps each tab's caption on the page's
// address, closes tabs from their popup menu and from the toolbar, routes the
// toolbar's Back, Forward, Stop and Refresh to the selected page, and passes
// page-load progress on from the selected page only (or from any page while
// there is no tab).
//
// The pages share one off-the-record profile, which lives as long as the pane.

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "core/project.h"
#include "ui/browser/browser_page.h"
#include "ui/browser/target_opener.h"

class QMenu;
class QTabWidget;
class QWebEngineProfile;

namespace larkspur::ui {


// The command of the tabs' popup menu (menu 135).
inline constexpr int kIdCloseTab = 32783;

class BrowserPane : public QWidget, public TargetOpener {
  Q_OBJECT

 public:
  BrowserPane(core::Project& project, core::Coordination& coordination, QWidget* parent = nullptr);
  ~BrowserPane() override;

  // What the list views ask of the pane. A target whose last check keeps
  // the profile from it is filled only once the user says so.
  void openTarget(core::EngineRecord& record, bool newPage) override;
  int pageCount() const override;
  QString pageAddress(int index) const override;
  void selectPage(int index) override;
  // Shows `url` in a new page, or in the selected one (a new one when there
  // is none).
  void openUrl(const QString& url, bool newPage) override;

  // Opens a new page showing `url` (nothing loaded when empty) after the last
  // tab and selects it.
  BrowserPage* openPage(const QString& url);
  QTabWidget* tabs() const { return tabs_; }
  BrowserPage* page(int index) const;
  BrowserPage* selectedPage() const;
  // Closes the page of a tab; nothing happens for an index without a tab.
  void closePage(int index);

  // The tab popup menu for a right-click at `pos` (tab bar coordinates):
  // remembers the point and returns the menu, or nullptr when no tab is
  // there. Its "Close" closes the tab under the remembered point.
  QMenu* tabMenu(const QPoint& pos);
  void closeTabAtLastClick();

  // Toolbar commands on the selected page.
  void back();
  void forward();
  void stop();
  void refresh();
  void closeSelectedPage();
  bool canGoBack() const;
  bool canGoForward() const;

  // Where the Engine records of opened targets live: when it is destroyed,
  // every page lets go of its record before the table is cleared.
  void setRecordOwner(std::function<QObject*()> owner) { recordOwner_ = std::move(owner); }

 signals:
  void pageLoadStarted();
  void pageLoadProgress(long progress, long maximum);
  void statusMessage(const QString& text);
  // Something the toolbar's enabled states depend on changed.
  void commandStateChanged();

 private:
  QWebEngineProfile* profile();
  void wire(BrowserPage* view);
  bool reportsProgress(const BrowserPage* view) const;
  void removePage(int index);

  core::Project& project_;
  core::Coordination& coordination_;
  QTabWidget* tabs_ = nullptr;
  QWebEngineProfile* profile_ = nullptr;
  QPoint lastRightClick_;
  std::function<QObject*()> recordOwner_;
  std::vector<QPointer<BrowserPage>> closing_;  // closed pages not yet gone
};

}  // namespace larkspur::ui
