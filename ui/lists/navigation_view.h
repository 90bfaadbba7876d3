#pragma once
// The navigation view: the work-area tabs in the left pane of the main
// window: the engine list ("Search Engine Submit"), the PPC list ("PPC
// Manage") and the link list ("Link To <host>"). Its views are made anew for
// every new or opened project.

#include <QPointer>
#include <QStyle>
#include <QWidget>
#include <vector>

#include "core/engine_record.h"
#include "core/project.h"
#include "core/settings_store.h"
#include "ui/lists/row_list_view.h"

class QTabWidget;

namespace larkspur::ui {

class EngineListView;
class LinkListView;
class PpcListView;

class NavigationView : public QWidget {
  Q_OBJECT

 public:
  explicit NavigationView(QWidget* parent = nullptr);

  // Destroys every work-area view and removes the tabs. Called before the
  // tables the views show are cleared.
  void releaseWorkAreas();
  // Rebuilds the tabs over the project's tables and selects the first. The
  // engine list shows the first `targetCount` records of the Engine table.
  void rebuildWorkAreas(core::Project& project, const core::Settings& settings,
                        std::size_t targetCount = kAllRecords);

  QTabWidget* tabs() const { return tabs_; }
  EngineListView* engineView() const { return engineView_; }
  LinkListView* linkView() const;
  PpcListView* ppcView() const;
  // The view of the selected tab, or nullptr.
  QWidget* activeView() const;
  // The engine list when its tab is the selected one.
  EngineListView* activeEngineView() const;

  void setAutoSubmitAvailable(bool available);
  void setTargetCheckAvailable(bool available);
  // Where the link and PPC lists find the browser pane.
  void setOpenerSource(OpenerSource source) { openerSource_ = std::move(source); }

  // "Link To %s" with the website's host, "Link To My Website" without one.
  static QString linkTabCaption(const core::WebsiteProfile& profile);

 signals:
  void openTargetRequested(core::EngineRecord* record, bool newPage);
  void autoSubmitRequested(const std::vector<core::EngineRecord*>& records);
  void targetCheckRequested(const std::vector<core::EngineRecord*>& records);
  void statusTextChanged(const QString& text);
  void recordsModified();
  void commandStateChanged();

 private:
  // Names `view`, passes on its status text (while it is the list in view)
  // and command states, and adds its tab.
  void addWorkArea(RowListView* view, const QString& name, QStyle::StandardPixmap icon, const QString& caption);
  void emitActiveStatus();

  QTabWidget* tabs_ = nullptr;
  QPointer<EngineListView> engineView_;
  QPointer<LinkListView> linkView_;
  QPointer<PpcListView> ppcView_;
  OpenerSource openerSource_;
  bool autoSubmitAvailable_ = false;
  bool targetCheckAvailable_ = true;
};

}  // namespace larkspur::ui
