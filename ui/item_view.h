#pragma once
// The navigation view: the work-area tabs in the left pane of the main
// window. Its views are made anew for every new or opened project; until the
// other work areas exist it holds the engine list ("Search Engine Submit").

#include <QPointer>
#include <QWidget>
#include <vector>

#include "core/engine_record.h"
#include "core/project.h"
#include "core/settings_store.h"

class QTabWidget;

namespace larkspur::ui {

class CLarkspurView;

class CItemView : public QWidget {
  Q_OBJECT

 public:
  explicit CItemView(QWidget* parent = nullptr);

  // Destroys every work-area view and removes the tabs. Called before the
  // tables the views show are cleared.
  void releaseWorkAreas();
  // Rebuilds the tabs over the project's tables and selects the first.
  void rebuildWorkAreas(core::Project& project, const core::Settings& settings);

  QTabWidget* tabs() const { return tabs_; }
  CLarkspurView* engineView() const { return engineView_; }
  // The view of the selected tab, or nullptr.
  QWidget* activeView() const;
  // The engine list when its tab is the selected one.
  CLarkspurView* activeEngineView() const;

  void setAutoSubmitAvailable(bool available);

 signals:
  void openTargetRequested(core::EngineRecord* record, bool newPage);
  void autoSubmitRequested(const std::vector<core::EngineRecord*>& records);
  void statusTextChanged(const QString& text);
  void recordsModified();
  void commandStateChanged();

 private:
  QTabWidget* tabs_ = nullptr;
  QPointer<CLarkspurView> engineView_;
  bool autoSubmitAvailable_ = false;
};

}  // namespace larkspur::ui
