#pragma once
// The main window: menu bar, toolbar, status bar and the splitter with the
// navigation view on the left and the browser pane on the right. Every menu
// entry, toolbar button and accelerator triggers a numbered command; a
// command runs the handler installed for it, and a command without a handler
// is shown disabled. Later parts of the program plug in by installing
// handlers and by replacing the right-hand pane.

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "core/settings_store.h"
#include "ui/links/progress_animation.h"
#include "links/engine_page_rank_update.h"
#include "submit/batch_targets.h"
#include "ui/app/window_layout.h"

class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTimer;
class QToolBar;

namespace larkspur::ui {

class NavigationView;
class ProjectDocument;
class LinkPopularityCommands;
class TargetOpener;
class ToolCommands;

// Runs a batch submission on a list of targets (modally) and returns when it
// is over.
using BatchRunner = std::function<void(const std::vector<core::EngineRecord*>& targets)>;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  using Handler = std::function<void()>;
  using Enabler = std::function<bool()>;

  MainWindow(ProjectDocument& doc, core::Coordination& coordination, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Commands.
  // The menu entry of a command (or its only action), nullptr when none.
  QAction* action(int id) const;
  // Every action of a command: menu entry, toolbar button, accelerators.
  QList<QAction*> actions(int id) const;
  // Installs the handler of a command; it is enabled while `enabler` says so
  // (always when empty).
  void installCommand(int id, Handler handler, Enabler enabler = {});
  void removeCommand(int id);
  bool commandEnabled(int id) const;
  // Runs a command as its menu entry would; false when it is disabled.
  bool runCommand(int id);
  // The key a menu entry shows after its tab (empty when none).
  static QKeySequence shownKey(const QAction& action);
  // Brings every action's enabled and checked state up to date.
  void updateCommandUi();

  // The batch submission dialog, when one exists: enables "Auto Submit ALL",
  // "Auto Submit Reset" and the engine list's "Auto Submit".
  void setBatchRunner(BatchRunner runner);
  // The targets of "Auto Submit ALL" (All) and "Auto Submit Reset".
  std::vector<core::EngineRecord*> autoSubmitTargets(submit::BatchScope scope) const;

  // Layout.
  NavigationView* itemView() const { return itemView_; }
  QSplitter* splitter() const { return splitter_; }
  QWidget* rightPane() const { return rightPane_; }
  // Replaces the right-hand pane (the placeholder at first) and names the
  // object that opens targets there.
  void setRightPane(QWidget* pane, TargetOpener* opener);
  TargetOpener* targetOpener() const { return opener_; }
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* statusTextPane() const { return statusText_; }
  QProgressBar* statusProgress() const { return statusProgress_; }
  QProgressBar* pageLoadProgressBar() const { return pageLoadProgress_; }

  // The page-load progress bar, as the browser pages report to it.
  void pageLoadStarted();
  void pageLoadProgress(long progress, long maximum);

  // Work areas, released and rebuilt around every new or opened project
  // (the document's aboutToReplaceProject and projectReplaced). The link
  // list keeps the columns the user chose from one project to the next.
  void releaseWorkAreas();
  void rebuildWorkAreas();

  // The remembered layout: geometry, list pane width and the link list's
  // columns. Restored before the first project opens; what it lacks takes
  // its first-start value: the list pane as wide as its tabs and shown
  // columns need (see fittedListPaneWidth), the browser pane the rest.
  void restoreWindowLayout(const WindowLayout& layout);
  // The layout now; the geometry and pane width only once the window has
  // been shown.
  WindowLayout windowLayout() const;
  // The width that shows every work-area tab and the shown columns of each
  // list whole, at most three fifths of the window's width.
  int fittedListPaneWidth() const;

  // The engine page-rank update ("Start Update", "Stop Update").
  void startPageRankUpdate();
  bool pageRankRunning() const { return pageRankUpdate_.running(); }
  // Sets the stop signal and waits for a running update to end, keeping the
  // window painted meanwhile.
  void stopPageRankUpdate();
  // The rank query the update uses (the toolbar query service by default).
  void setRankQuery(links::RankQuery query) { rankQuery_ = std::move(query); }

  // The status animation of a link-popularity job: timer 1 (search), 2
  // (check) or 3 (update) ticking every `intervalMs`.
  void startJobTimer(int timer, int intervalMs);
  bool jobTimerActive(int timer) const;
  // One tick, as the timer runs it.
  void jobTick(int timer);

  // The message pane's text.
  QString statusMessage() const;

  // Printing, calculators, online update, help and about.
  ToolCommands* toolCommands() const { return tools_; }

  // The "Link Popularity" jobs.
  LinkPopularityCommands* linkCommands() const { return linkCommands_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createActions();
  void createMenus();
  void createToolBar();
  void createStatusBar();
  void createClientArea();
  void installBuiltInCommands();
  void rebuildRecentFiles();
  void runBatch(const std::vector<core::EngineRecord*>& targets);
  void createSubmitReport();
  void focusPane(bool next);
  QAction* makeAction(int id, const QString& text);
  void setTitle(const QString& documentTitle);
  void setListPaneWidth(int width);
  void rememberLinkColumns();
  core::Settings listSettings() const;

  struct Command {
    Handler handler;
    Enabler enabler;
  };

  ProjectDocument& doc_;
  core::Coordination& coordination_;
  std::map<int, Command> commands_;
  std::map<int, QList<QAction*>> actions_;

  QSplitter* splitter_ = nullptr;
  NavigationView* itemView_ = nullptr;
  QWidget* rightPane_ = nullptr;
  // The list pane's width until the window is first shown (the splitter's
  // own sizes are not real ones before), and whether it is still to be
  // fitted to the first project's lists.
  int listPaneWidth_;
  bool fitListPane_ = true;
  bool shown_ = false;
  // The link list's shown columns, when the user's choice is known.
  std::optional<QList<int>> linkColumns_;
  TargetOpener* opener_ = nullptr;
  QLabel* statusText_ = nullptr;
  QProgressBar* statusProgress_ = nullptr;
  QProgressBar* pageLoadProgress_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QMenu* projectMenu_ = nullptr;
  QAction* recentPlaceholder_ = nullptr;
  QAction* recentEnd_ = nullptr;
  QList<QAction*> recentActions_;
  QTimer* commandUiTimer_ = nullptr;
  std::map<int, QTimer*> jobTimers_;
  ProgressAnimation animation_;
  BatchRunner batchRunner_;
  links::RankQuery rankQuery_ = links::queryHostRank;
  links::EnginePageRankUpdate pageRankUpdate_;
  ToolCommands* tools_ = nullptr;
  LinkPopularityCommands* linkCommands_ = nullptr;
};

}  // namespace larkspur::ui
