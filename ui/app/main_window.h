#pragma once
// The main window: menu bar, toolbar, status bar and the splitter with the
// navigation view on the left and the browser pane on the right. Every menu
// entry, toolbar button and accelerator triggers a numbered command; a
// command runs the handler installed for it, and a command without a handler
// is shown disabled. The features plug in through the window's CommandHost
// side: they install their handlers and replace the right-hand pane.

#include <QKeySequence>
#include <QMainWindow>
#include <QStringList>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/coordination.h"
#include "core/settings_store.h"
#include "ui/app/command_host.h"
#include "ui/app/window_layout.h"

class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QToolBar;

namespace larkspur::ui {

class AnnounceCommands;
class CalculatorCommands;
class LinkPopularityCommands;
class NavigationView;
class RowListView;
class PageRankUpdateCommands;
class ProgramRestart;
class ProjectDocument;
class TargetCheckCommands;
class TargetOpener;
class UpdateCommands;

class MainWindow : public QMainWindow, public CommandHost {
  Q_OBJECT

 public:
  MainWindow(ProjectDocument& doc, core::Coordination& coordination, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The command host.
  QWidget* widget() override { return this; }
  void installCommand(int id, Handler handler, Enabler enabler = {}) override;
  void removeCommand(int id) override;
  bool commandEnabled(int id) const override;
  bool runCommand(int id) override;
  void updateCommandUi() override;
  NavigationView* itemView() const override { return itemView_; }
  QWidget* activeView() const override;
  void showStatusMessage(const QString& text) override;
  QString statusMessage() const override;
  QLabel* statusTextPane() const override { return statusText_; }
  QProgressBar* statusProgress() const override { return statusProgress_; }
  void showJobProgress(const QString& job, qint64 done, qint64 total) override;
  void endJobProgress(const QString& job) override;
  void showJobEnd(const QString& text) override;
  void setRightPane(QWidget* pane, TargetOpener* opener) override;
  QWidget* rightPane() const override { return rightPane_; }
  TargetOpener* targetOpener() const override { return opener_; }
  void pageLoadStarted() override;
  void pageLoadProgress(long progress, long maximum) override;
  QProgressBar* pageLoadProgressBar() const override { return pageLoadProgress_; }

  // Commands.
  // The menu entry of a command (or its only action), nullptr when none.
  QAction* action(int id) const;
  // Every action of a command: menu entry, toolbar button, accelerators.
  QList<QAction*> actions(int id) const;
  // The key a menu entry shows after its tab (empty when none).
  static QKeySequence shownKey(const QAction& action);

  // Layout.
  QSplitter* splitter() const { return splitter_; }
  QToolBar* toolBar() const { return toolBar_; }

  // Work areas, released and rebuilt around every new or opened project
  // (the document's aboutToReplaceProject and projectReplaced). The link
  // list keeps the columns the user chose from one project to the next, the
  // engine list its health column's width.
  void releaseWorkAreas();
  void rebuildWorkAreas();

  // The remembered layout: geometry, list pane width, the link list's
  // columns and the width of the engine list's health column. Restored
  // before the first project opens; what it lacks takes its first-start
  // value: the list pane as wide as its tabs and shown columns need (see
  // fittedListPaneWidth), the browser pane the rest.
  void restoreWindowLayout(const WindowLayout& layout);
  // The layout now; the geometry and pane width only once the window has
  // been shown.
  WindowLayout windowLayout() const;
  // The width that shows every work-area tab and the shown columns of each
  // list whole, at most three fifths of the window's width.
  int fittedListPaneWidth() const;

  // Where "Online Update" hands the new program when the user wants it
  // at once, with the command line that reopens the project.
  void setProgramRestart(ProgramRestart* restart);

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
  // "Internet Option" is shown while a network settings program is there.
  void showNetworkSettingsEntry();
  void focusPane(bool next);
  QAction* makeAction(int id, const QString& text);
  void setTitle(const QString& documentTitle);
  void setListPaneWidth(int width);
  // What the user chose of the lists' columns, kept from one project to the
  // next.
  void rememberColumns();
  // The lists of the work area by their names in layout.ini (null while a
  // list is not there).
  std::vector<std::pair<QString, RowListView*>> namedLists() const;
  core::Settings listSettings() const;
  // Shows a job's progress in the status bar's progress pane.
  void showProgressOf(qint64 done, qint64 total);

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
  // The engine list's health column's width, when the user's is known.
  std::optional<int> healthColumnWidth_;
  // Each list's column widths by its name in layout.ini, kept across rebuilds.
  std::map<QString, QList<int>> columnWidths_;
  // Set by restoreWindowLayout: the next rebuild places the columns.
  bool placeColumns_ = false;
  TargetOpener* opener_ = nullptr;
  QLabel* statusText_ = nullptr;
  QProgressBar* statusProgress_ = nullptr;
  QProgressBar* pageLoadProgress_ = nullptr;
  QAction* pageLoadSlot_ = nullptr;  // the toolbar's place of the page-load bar
  // The jobs that show their progress, by name: done and total, and the
  // order they last spoke in (the last one is shown).
  std::map<QString, std::pair<qint64, qint64>> jobProgress_;
  QStringList jobOrder_;
  QToolBar* toolBar_ = nullptr;
  QMenu* projectMenu_ = nullptr;
  QAction* recentPlaceholder_ = nullptr;
  QAction* recentEnd_ = nullptr;
  QList<QAction*> recentActions_;
  AnnounceCommands* announce_ = nullptr;
  UpdateCommands* update_ = nullptr;
  CalculatorCommands* calculator_ = nullptr;
  PageRankUpdateCommands* pageRank_ = nullptr;
  LinkPopularityCommands* linkCommands_ = nullptr;
  TargetCheckCommands* targetCheck_ = nullptr;
};

}  // namespace larkspur::ui
