#include "ui/app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <utility>
#include <limits>

#include "larkspur_version.h"
#include "ui/announce/announce_commands.h"
#include "ui/app/app_icon.h"
#include "ui/app/command_ids.h"
#include "ui/app/command_line.h"
#include "ui/app/help_commands.h"
#include "ui/app/network_settings.h"
#include "ui/app/page_load_progress.h"
#include "ui/app/program_restart.h"
#include "ui/app/toolbar_images.h"
#include "ui/app/work_area_commands.h"
#include "ui/browser/target_opener.h"
#include "ui/calculators/calculator_commands.h"
#include "ui/health/target_check_commands.h"
#include "ui/links/link_popularity_commands.h"
#include "ui/links/page_rank_update_commands.h"
#include "ui/links/service_keys_dialog.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/lists/ppc_list_view.h"
#include "ui/printing/print_commands.h"
#include "ui/project/project_document.h"
#include "ui/project/recent_files.h"
#include "ui/submit/submit_report_command.h"
#include "ui/update/update_commands.h"

namespace larkspur::ui {

namespace {

constexpr int kNavigationWidth = 400;
constexpr int kBrowserWidth = 200;
constexpr int kStatusTextWidth = 250;
constexpr int kStatusProgressWidth = 150;
constexpr int kToolButtonWidth = 25;
constexpr int kPageLoadSlotWidth = 80;

struct ToolbarSlot {
  int id;     // 0: separator, -1: the page-load progress bar
  int image;
  const char* label;
};

const ToolbarSlot kToolbarSlots[] = {
    {kIdFileNew, 0, "New"},
    {kIdFileOpen, 1, "Open"},
    {kIdFileSave, 2, "Save"},
    {kIdCreateSubmitReport, 3, "Report"},
    {kIdAutoSubmitAll, 4, "Submit"},
    {kIdAnnounceIndexNow, 14, "Announce"},
    {kIdFilePrint, 5, "Print"},
    {kIdAppAbout, 6, "About"},
    {kIdUp, 7, "UP"},
    {kIdDown, 8, "DOWNN"},
    {0, -1, nullptr},
    {kIdBrowserBack, 9, "BACK"},
    {kIdBrowserForward, 10, "FORWAD"},
    {kIdBrowserStop, 11, "STOP"},
    {kIdBrowserRefresh, 12, "REFRESH"},
    {0, -1, nullptr},
    {kIdCloseBrowserPage, 13, "CLOSE"},
    {0, -1, nullptr},
    {-1, -1, nullptr},
};

// The width of the engine list's health column, when there is one to see.
std::optional<int> healthColumnWidthOf(const EngineListView* engines) {
  const int width = engines ? engines->columnWidth(EngineListView::kColumnHealth) : 0;
  return width > 0 ? std::optional<int>(width) : std::nullopt;
}

}  // namespace

MainWindow::MainWindow(ProjectDocument& doc, core::Coordination& coordination, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      coordination_(coordination),
      listPaneWidth_(kNavigationWidth) {
  setWindowIcon(appIcon());
  createActions();
  createMenus();
  createToolBar();
  createStatusBar();
  createClientArea();
  installBuiltInCommands();
  auto* print = new PrintCommands(this);
  print->install(*this, [this] { return doc_.title(); });
  calculator_ = new CalculatorCommands(*this);
  calculator_->install();
  announce_ = new AnnounceCommands(*this, doc_);
  announce_->install();
  update_ = new UpdateCommands(*this);
  update_->install();
  auto* help = new HelpCommands(*this);
  help->install();
  installWorkAreaCommands(*this);
  installSubmitReportCommand(*this, doc_);
  pageRank_ = new PageRankUpdateCommands(*this, doc_, coordination_);
  pageRank_->install();
  linkCommands_ = new LinkPopularityCommands(*this, doc_, coordination_, this);
  linkCommands_->install();
  targetCheck_ = new TargetCheckCommands(*this, doc_, coordination_);
  targetCheck_->install();
  installServiceKeysCommand(*this);
  rebuildRecentFiles();
  setTitle(doc_.title());

  connect(&doc_, &ProjectDocument::titleChanged, this, &MainWindow::setTitle);
  connect(&doc_, &ProjectDocument::recentFilesChanged, this, &MainWindow::rebuildRecentFiles);
  doc_.setDialogParent(this);
  connect(&doc_, &ProjectDocument::aboutToReplaceProject, this, [this] {
    pageRank_->stopAndWait();
    releaseWorkAreas();
  });
  connect(&doc_, &ProjectDocument::projectReplaced, this, &MainWindow::rebuildWorkAreas);
  connect(&doc_, &ProjectDocument::statusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text); });

  // Commands' enabled and checked states follow the program's state: they
  // are brought up to date when something they depend on changes (the work
  // areas, a list's find dialog and the browser pane say so, the features
  // when their jobs start and end, the document when it is replaced or
  // changed) and when a menu opens.
  connect(&doc_, &ProjectDocument::modifiedChanged, this, &MainWindow::updateCommandUi);
  connect(toolBar_, &QToolBar::visibilityChanged, this, &MainWindow::updateCommandUi);
  updateCommandUi();
  resize(1000, 700);
}

MainWindow::~MainWindow() {
  // The jobs end before the views they post to go.
  coordination_.stop.set();
  delete pageRank_;  // waits for the update
  pageRank_ = nullptr;
  delete linkCommands_;  // waits for the link jobs
  linkCommands_ = nullptr;
  delete targetCheck_;  // waits for the check
  targetCheck_ = nullptr;
}

// ---------------------------------------------------------------- commands

QAction* MainWindow::makeAction(int id, const QString& text) {
  auto* action = new QAction(text, this);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
  actions_[id].append(action);
  return action;
}

QAction* MainWindow::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() || it->second.isEmpty() ? nullptr : it->second.first();
}

QList<QAction*> MainWindow::actions(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? QList<QAction*>() : it->second;
}

void MainWindow::installCommand(int id, Handler handler, Enabler enabler) {
  commands_[id] = Command{std::move(handler), std::move(enabler)};
  updateCommandUi();
}

void MainWindow::removeCommand(int id) {
  commands_.erase(id);
  updateCommandUi();
}

bool MainWindow::commandEnabled(int id) const {
  const auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.handler) return false;
  return !it->second.enabler || it->second.enabler();
}

bool MainWindow::runCommand(int id) {
  if (!commandEnabled(id)) return false;
  // Copied: a handler may reinstall commands while it runs.
  const Handler handler = commands_[id].handler;
  handler();
  updateCommandUi();
  return true;
}

void MainWindow::updateCommandUi() {
  for (auto& [id, list] : actions_) {
    const bool enabled = commandEnabled(id);
    for (QAction* a : list) a->setEnabled(enabled);
  }
  if (QAction* a = action(kIdViewToolbar)) a->setChecked(toolBar_ && !toolBar_->isHidden());
  if (QAction* a = action(kIdViewStatusBar)) a->setChecked(!statusBar()->isHidden());
  setWindowModified(doc_.isModified());
}

void MainWindow::createActions() {
  struct Entry {
    int id;
    const char* text;  // a key after the tab is the one the menu shows
    QKeySequence::StandardKey standardKey = QKeySequence::UnknownKey;
  };
  static const Entry kEntries[] = {
      {kIdFileNew, "&New\tCtrl+N", QKeySequence::New},
      {kIdEditWebsiteInfo, "&Edit website info\tCtrl+E"},
      {kIdFileOpen, "&Open...\tCtrl+O", QKeySequence::Open},
      {kIdFileSave, "&Save\tCtrl+S", QKeySequence::Save},
      {kIdFileSaveAs, "Save &As..."},
      {kIdFilePrint, "&Print...\tCtrl+P", QKeySequence::Print},
      {kIdFilePrintPreview, "Print Pre&view"},
      {kIdFilePrintSetup, "P&rint Setup..."},
      {kIdAppExit, "E&xit\tCtrl+Q", QKeySequence::Quit},
      {kIdEditCut, "Cu&t\tCtrl+X", QKeySequence::Cut},
      {kIdEditCopy, "&Copy\tCtrl+C", QKeySequence::Copy},
      {kIdEditPaste, "&Paste\tCtrl+V", QKeySequence::Paste},
      {kIdEditFind, "&Find\tCtrl+F", QKeySequence::Find},
      {kIdFindNext, "Find &Next\tF3", QKeySequence::FindNext},
      {kIdSelectAll, "Select &All\tCtrl+A", QKeySequence::SelectAll},
      {kIdInvertSelection, "&Invert Selection\tCtrl+I"},
      {kIdUp, "Up"},
      {kIdDown, "Down"},
      {kIdAutoSubmitAll, "Auto Submit ALL"},
      {kIdAutoSubmitReset, "Auto Submit Reset"},
      {kIdAnnounceIndexNow, "Announce to IndexNow..."},
      {kIdCreateSubmitReport, "Create Submit Report"},
      {kIdCheckTargets, "Check Targets"},
      {kIdStopCheck, "Stop Check"},
      {kIdStartUpdate, "Start Update"},
      {kIdStopUpdate, "Stop Update"},
      {kIdInternetOption, "Internet Option"},
      {kIdServiceKeys, "Services..."},
      {kIdSearchLinks, "Search Links To My Website"},
      {kIdCreateLinksReport, "Create Links Report"},
      {kIdGetAll, "Get All"},
      {kIdGetPageRank, "Get Page Rank"},
      {kIdGetIpAddress, "Get IP Address"},
      {kIdGetEmailAddress, "Get Email Address"},
      {kIdStop, "Stop"},
      {kIdImportLinks, "Import Links From File"},
      {kIdOutputLinks, "Output Links  To File"},
      {kIdViewToolbar, "&Toolbar"},
      {kIdViewStatusBar, "&Status Bar"},
      {kIdRoiCalculator, "ROI Calculator"},
      {kIdHelpTopic, "Help Topic"},
      {kIdOnlineUpdate, "Online Update"},
      {kIdSubmitServices, "Submit Services"},
      {kIdAppAbout, "&About Larkspur..."},
  };
  for (const Entry& e : kEntries) {
    QAction* a = makeAction(e.id, QString::fromUtf8(e.text));
    // The key a menu entry shows is the one that runs it, first among the
    // desktop's own keys for that command (Shift+Delete for Cut, ...). The
    // keys belong to the window, so they work whichever pane has the focus.
    const QKeySequence shown = shownKey(*a);
    if (shown.isEmpty()) continue;
    QList<QKeySequence> keys{shown};
    if (e.standardKey != QKeySequence::UnknownKey) {
      for (const QKeySequence& key : QKeySequence::keyBindings(e.standardKey)) {
        if (!keys.contains(key)) keys << key;
      }
    }
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
  action(kIdViewToolbar)->setCheckable(true);
  action(kIdViewStatusBar)->setCheckable(true);

  auto* nextPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
  connect(nextPane, &QShortcut::activated, this, [this] { focusPane(true); });
  auto* previousPane = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
  connect(previousPane, &QShortcut::activated, this, [this] { focusPane(false); });
}

QKeySequence MainWindow::shownKey(const QAction& action) {
  const QString text = action.text();
  const qsizetype tab = text.indexOf(QLatin1Char('\t'));
  return tab < 0 ? QKeySequence() : QKeySequence(text.mid(tab + 1), QKeySequence::PortableText);
}

void MainWindow::createMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("Menu Bar"));
  auto add = [this](QMenu* menu, int id) { menu->addAction(action(id)); };
  auto menuOf = [this, bar](const char* title) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(title));
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandUi);
    return menu;
  };

  projectMenu_ = menuOf("&Project");
  for (int id : {kIdFileNew, kIdEditWebsiteInfo, kIdFileOpen, kIdFileSave, kIdFileSaveAs}) add(projectMenu_, id);
  projectMenu_->addSeparator();
  for (int id : {kIdFilePrint, kIdFilePrintPreview, kIdFilePrintSetup}) add(projectMenu_, id);
  projectMenu_->addSeparator();
  recentPlaceholder_ = projectMenu_->addAction(QStringLiteral("Recent File"));
  recentPlaceholder_->setData(kIdFileMruFile1);
  recentPlaceholder_->setEnabled(false);
  recentEnd_ = projectMenu_->addSeparator();
  add(projectMenu_, kIdAppExit);

  QMenu* edit = menuOf("&Edit");
  for (int id : {kIdEditCut, kIdEditCopy, kIdEditPaste}) add(edit, id);
  edit->addSeparator();
  for (int id : {kIdEditFind, kIdFindNext}) add(edit, id);
  edit->addSeparator();
  for (int id : {kIdSelectAll, kIdInvertSelection}) add(edit, id);
  edit->addSeparator();
  for (int id : {kIdUp, kIdDown}) add(edit, id);

  QMenu* submit = menuOf("Search Engine Submit");
  for (int id : {kIdAutoSubmitAll, kIdAutoSubmitReset, kIdAnnounceIndexNow}) add(submit, id);
  submit->addSeparator();
  add(submit, kIdCreateSubmitReport);
  submit->addSeparator();
  for (int id : {kIdCheckTargets, kIdStopCheck}) add(submit, id);
  submit->addSeparator();
  QMenu* pageRank = submit->addMenu(QStringLiteral("Page Rank"));
  connect(pageRank, &QMenu::aboutToShow, this, &MainWindow::updateCommandUi);
  for (int id : {kIdStartUpdate, kIdStopUpdate}) add(pageRank, id);
  submit->addSeparator();
  for (int id : {kIdInternetOption, kIdServiceKeys}) add(submit, id);
  connect(submit, &QMenu::aboutToShow, this, &MainWindow::showNetworkSettingsEntry);
  showNetworkSettingsEntry();

  QMenu* links = menuOf("Link Popularity");
  for (int id : {kIdSearchLinks, kIdCreateLinksReport}) add(links, id);
  QMenu* linkInfo = links->addMenu(QStringLiteral("Update My Link Info"));
  connect(linkInfo, &QMenu::aboutToShow, this, &MainWindow::updateCommandUi);
  for (int id : {kIdGetAll, kIdGetPageRank, kIdGetIpAddress, kIdGetEmailAddress}) add(linkInfo, id);
  links->addSeparator();
  add(links, kIdStop);
  links->addSeparator();
  for (int id : {kIdImportLinks, kIdOutputLinks}) add(links, id);

  QMenu* view = menuOf("&View");
  for (int id : {kIdViewToolbar, kIdViewStatusBar}) add(view, id);

  QMenu* tool = menuOf("Tool");
  add(tool, kIdRoiCalculator);

  QMenu* help = menuOf("&Help");
  for (int id : {kIdHelpTopic, kIdOnlineUpdate}) add(help, id);
  help->addSeparator();
  add(help, kIdSubmitServices);
  help->addSeparator();
  add(help, kIdAppAbout);
}

void MainWindow::createToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Toolbar"));
  toolBar_->setObjectName(QStringLiteral("Toolbar"));
  toolBar_->setMovable(true);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (const ToolbarSlot& slot : kToolbarSlots) {
    if (slot.id == 0) {
      toolBar_->addSeparator();
    } else if (slot.id < 0) {
      auto* holder = new QWidget(toolBar_);
      holder->setObjectName(QStringLiteral("pageLoadSlot"));
      holder->setFixedWidth(kPageLoadSlotWidth);
      auto* layout = new QHBoxLayout(holder);
      layout->setContentsMargins(0, 2, 3, 2);
      pageLoadProgress_ = new QProgressBar(holder);
      pageLoadProgress_->setObjectName(QStringLiteral("pageLoadProgress"));
      pageLoadProgress_->setRange(0, 100);
      pageLoadProgress_->setValue(0);
      pageLoadProgress_->setTextVisible(false);
      pageLoadProgress_->setToolTip(QStringLiteral("Loading the page"));
      // As tall as the buttons beside it, so that it reads as a bar.
      pageLoadProgress_->setFixedHeight(toolBar_->iconSize().height());
      layout->addWidget(pageLoadProgress_);
      pageLoadSlot_ = toolBar_->addWidget(holder);
      pageLoadSlot_->setVisible(false);  // shown while a page loads
    } else {
      QAction* button = makeAction(slot.id, QString::fromUtf8(slot.label));
      button->setIcon(toolbarImage(slot.image, style()));
      button->setToolTip(QString::fromUtf8(slot.label));
      toolBar_->addAction(button);
      if (QWidget* widget = toolBar_->widgetForAction(button)) widget->setFixedWidth(kToolButtonWidth);
    }
  }
}

void MainWindow::createStatusBar() {
  QStatusBar* bar = statusBar();
  statusText_ = new QLabel(bar);
  statusText_->setObjectName(QStringLiteral("pane%1").arg(kIdStatusTextPane));
  statusText_->setFixedWidth(kStatusTextWidth);
  bar->addPermanentWidget(statusText_);
  statusProgress_ = new QProgressBar(bar);
  statusProgress_->setObjectName(QStringLiteral("pane%1").arg(kIdStatusProgressPane));
  statusProgress_->setFixedWidth(kStatusProgressWidth);
  statusProgress_->setRange(0, 100);
  statusProgress_->setValue(0);
  statusProgress_->setTextVisible(false);
  statusProgress_->setFormat(QStringLiteral("%v of %m"));
  statusProgress_->setVisible(false);  // shown while a job runs
  bar->addPermanentWidget(statusProgress_);
  bar->showMessage(QStringLiteral("Ready"));
}

void MainWindow::createClientArea() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  itemView_ = new NavigationView(splitter_);
  itemView_->setObjectName(QStringLiteral("itemView"));
  auto* placeholder = new QWidget(splitter_);
  placeholder->setObjectName(QStringLiteral("browserPanePlaceholder"));
  placeholder->setAutoFillBackground(true);
  placeholder->setBackgroundRole(QPalette::Base);
  rightPane_ = placeholder;
  itemView_->setOpenerSource([this] { return opener_; });
  splitter_->addWidget(itemView_);
  splitter_->addWidget(placeholder);
  // The navigation keeps its width; the browser pane takes what is left.
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({listPaneWidth_, kBrowserWidth});
  setCentralWidget(splitter_);

  connect(itemView_, &NavigationView::statusTextChanged, statusText_, &QLabel::setText);
  connect(itemView_, &NavigationView::recordsModified, this, [this] { doc_.setModified(true); });
  connect(itemView_, &NavigationView::commandStateChanged, this, &MainWindow::updateCommandUi);
  connect(itemView_, &NavigationView::openTargetRequested, this, [this](core::EngineRecord* record, bool newPage) {
    if (opener_ && record) opener_->openTarget(*record, newPage);
  });
}

void MainWindow::setRightPane(QWidget* pane, TargetOpener* opener) {
  if (pane && pane != rightPane_) {
    // Before the window is first shown the splitter's sizes are not real
    // ones (the pane would get a width of 0): the list pane keeps the width
    // it is to have then.
    const QList<int> sizes = shown_ ? splitter_->sizes() : QList<int>{listPaneWidth_, kBrowserWidth};
    QWidget* old = splitter_->replaceWidget(1, pane);
    if (old) old->deleteLater();
    rightPane_ = pane;
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes(sizes);
  }
  opener_ = opener;
}

// ---------------------------------------------------------------- handlers

void MainWindow::installBuiltInCommands() {
  installCommand(kIdFileNew, [this] { doc_.fileNew(); });
  installCommand(kIdEditWebsiteInfo, [this] { doc_.editProfile(); });
  installCommand(kIdFileOpen, [this] { doc_.fileOpen(); });
  installCommand(kIdFileSave, [this] { doc_.save(); });
  installCommand(kIdFileSaveAs, [this] { doc_.saveAs(); });
  installCommand(kIdAppExit, [this] { close(); });

  installCommand(kIdInternetOption, [this] { openNetworkSettings(this); });

  installCommand(kIdViewToolbar, [this] { toolBar_->setVisible(toolBar_->isHidden()); });
  installCommand(kIdViewStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
}

void MainWindow::showNetworkSettingsEntry() {
  const bool available = !availableNetworkSettingsCommand().isEmpty();
  for (QAction* a : actions(kIdInternetOption)) a->setVisible(available);
}

void MainWindow::focusPane(bool next) {
  Q_UNUSED(next);  // two panes: the next one and the previous one are the same
  QWidget* focus = QApplication::focusWidget();
  const bool inNavigation = focus && itemView_->isAncestorOf(focus);
  if (inNavigation) {
    rightPane_->setFocus();
  } else if (QWidget* view = itemView_->activeView()) {
    view->setFocus();
  } else {
    itemView_->setFocus();
  }
}

void MainWindow::rebuildRecentFiles() {
  for (QAction* a : recentActions_) {
    projectMenu_->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  const QStringList& paths = doc_.recentFiles().paths();
  recentPlaceholder_->setVisible(paths.isEmpty());
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
    a->setData(kIdFileMruFile1 + i);
    connect(a, &QAction::triggered, this, [this, path] { doc_.openDocumentFile(path); });
    projectMenu_->insertAction(recentEnd_, a);
    recentActions_.append(a);
  }
}

void MainWindow::setTitle(const QString& documentTitle) {
  // "[*]" is where the title bar shows that the project has unsaved changes.
  setWindowTitle(documentTitle.isEmpty() ? QStringLiteral("Larkspur[*]")
                                         : QStringLiteral("%1[*] - Larkspur").arg(documentTitle));
  setWindowModified(doc_.isModified());
}

// ---------------------------------------------------------------- layout

void MainWindow::setListPaneWidth(int width) {
  listPaneWidth_ = std::max(0, width);
  // The browser pane takes what is left; before the window is shown the
  // splitter keeps the list pane's width and gives it the rest then.
  const int total = shown_ ? splitter_->width() - splitter_->handleWidth() : listPaneWidth_ + kBrowserWidth;
  splitter_->setSizes({listPaneWidth_, std::max(0, total - listPaneWidth_)});
}

int MainWindow::fittedListPaneWidth() const {
  // Every tab in full, without scroll arrows.
  const QTabWidget* tabs = itemView_->tabs();
  int width = tabs->tabBar()->sizeHint().width();
  for (int i = 0; i < tabs->count(); ++i) {
    if (const auto* rows = qobject_cast<const RowListView*>(tabs->widget(i))) {
      width = std::max(width, rows->shownColumnsWidth());
    }
  }
  return std::min(width, this->width() * 3 / 5);
}

void MainWindow::restoreWindowLayout(const WindowLayout& layout) {
  if (!layout.geometry.isEmpty()) restoreGeometry(layout.geometry);
  if (layout.linkColumns) linkColumns_ = layout.linkColumns;
  if (layout.healthColumnWidth) healthColumnWidth_ = layout.healthColumnWidth;
  columnWidths_ = layout.columnWidths;
  placeColumns_ = true;
  if (layout.listPaneWidth) {
    fitListPane_ = false;
    setListPaneWidth(*layout.listPaneWidth);
  }
}

WindowLayout MainWindow::windowLayout() const {
  WindowLayout layout;
  // A window never shown has no geometry or pane width of the user's.
  if (shown_) {
    layout.geometry = saveGeometry();
    layout.listPaneWidth = splitter_->sizes().value(0);
  }
  layout.linkColumns = linkColumns_;
  if (const LinkListView* links = itemView_->linkView()) layout.linkColumns = links->shownColumns();
  layout.healthColumnWidth = healthColumnWidthOf(itemView_->engineView());
  if (!layout.healthColumnWidth) layout.healthColumnWidth = healthColumnWidth_;
  layout.columnWidths = columnWidths_;
  for (const auto& [name, list] : namedLists()) {
    if (list) layout.columnWidths[name] = list->columnWidths();
  }
  return layout;
}

std::vector<std::pair<QString, RowListView*>> MainWindow::namedLists() const {
  return {{QStringLiteral("EngineList"), itemView_->engineView()},
          {QStringLiteral("LinkList"), itemView_->linkView()},
          {QStringLiteral("PpcList"), itemView_->ppcView()}};
}

void MainWindow::rememberColumns() {
  if (const LinkListView* links = itemView_->linkView()) linkColumns_ = links->shownColumns();
  if (const std::optional<int> width = healthColumnWidthOf(itemView_->engineView())) healthColumnWidth_ = width;
  for (const auto& [name, list] : namedLists()) {
    if (list) columnWidths_[name] = list->columnWidths();
  }
}

core::Settings MainWindow::listSettings() const {
  core::Settings settings = doc_.settings();
  if (linkColumns_) {
    settings.link_column_widths = LinkListView::widthsShowing(settings.link_column_widths, *linkColumns_);
  }
  return settings;
}

void MainWindow::showEvent(QShowEvent* event) {
  shown_ = true;
  QMainWindow::showEvent(event);
}

// ---------------------------------------------------------------- progress

void MainWindow::pageLoadStarted() {
  pageLoadProgress_->setValue(0);
  pageLoadSlot_->setVisible(true);
}

void MainWindow::pageLoadProgress(long progress, long maximum) {
  pageLoadProgress_->setValue(pageLoadPosition(pageLoadProgress_->value(), progress, maximum));
  // Done: nothing loads any more.
  if (progress == -1) pageLoadSlot_->setVisible(false);
}

QString MainWindow::statusMessage() const { return statusBar()->currentMessage(); }

void MainWindow::showStatusMessage(const QString& text) { statusBar()->showMessage(text); }

void MainWindow::showJobProgress(const QString& job, qint64 done, qint64 total) {
  jobProgress_[job] = {done, total};
  jobOrder_.removeAll(job);
  jobOrder_.append(job);
  showProgressOf(done, total);
}

void MainWindow::endJobProgress(const QString& job) {
  if (jobProgress_.erase(job) == 0) return;
  jobOrder_.removeAll(job);
  if (!jobOrder_.isEmpty()) {
    const auto& [done, total] = jobProgress_.at(jobOrder_.last());
    showProgressOf(done, total);
    return;
  }
  statusProgress_->setVisible(false);
  statusProgress_->setTextVisible(false);
  statusProgress_->setRange(0, 100);
  statusProgress_->setValue(0);
}

void MainWindow::showProgressOf(qint64 done, qint64 total) {
  constexpr qint64 kLargest = std::numeric_limits<int>::max();
  if (total < 0) {
    // Busy: the pane moves without a count.
    statusProgress_->setRange(0, 0);
    statusProgress_->setTextVisible(false);
  } else {
    statusProgress_->setRange(0, static_cast<int>(std::min(total, kLargest)));
    statusProgress_->setValue(static_cast<int>(std::clamp<qint64>(done, 0, std::min(total, kLargest))));
    statusProgress_->setTextVisible(true);
  }
  statusProgress_->setVisible(true);
}

void MainWindow::showJobEnd(const QString& text) {
  statusBar()->showMessage(text);
  // The user may be in another window while a long job ends.
  if (!isActiveWindow()) QApplication::alert(this);
}

QWidget* MainWindow::activeView() const { return itemView_->activeView(); }

// ---------------------------------------------------------------- work areas

void MainWindow::releaseWorkAreas() {
  // Views hold record addresses the update writes to: it must be over first.
  pageRank_->stopAndWait();
  if (linkCommands_) linkCommands_->stopAndWait();
  targetCheck_->stopAndWait();
  rememberColumns();
  itemView_->releaseWorkAreas();
}

void MainWindow::rebuildWorkAreas() {
  pageRank_->stopAndWait();
  if (linkCommands_) linkCommands_->stopAndWait();
  rememberColumns();
  itemView_->rebuildWorkAreas(doc_.project(), listSettings(), doc_.targetCount());
  if (EngineListView* engines = itemView_->engineView(); engines && healthColumnWidth_) {
    engines->setColumnWidth(EngineListView::kColumnHealth, *healthColumnWidth_);
  }
  if (LinkListView* links = itemView_->linkView(); links && linkColumns_) links->showDetailColumns(*linkColumns_);
  // On the first start the widths the user left last time, else titles and
  // rows readable within the pane; a project made or opened later takes the
  // widths of its settings as ever.
  const int pane = fitListPane_ ? width() * 3 / 5 : splitter_->sizes().value(0);
  const bool place = std::exchange(placeColumns_, false);
  for (const auto& [name, list] : namedLists()) {
    if (!list || !place) continue;
    if (const auto remembered = columnWidths_.find(name); remembered != columnWidths_.end()) {
      list->applyColumnWidths(remembered->second);
    } else {
      list->widenColumnsToContents(std::max(240, pane / 2), pane);
    }
  }
  if (fitListPane_) {
    fitListPane_ = false;
    setListPaneWidth(fittedListPaneWidth());
  }
  updateCommandUi();
}

// ---------------------------------------------------------------- closing

void MainWindow::setProgramRestart(ProgramRestart* restart) {
  update_->setRestart([this, restart](const QString& program) {
    // The arguments name the project as it is once the window has closed.
    if (restart) restart->request(program, restartArguments(QCoreApplication::arguments().mid(1), doc_.pathName()));
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Every running job is asked to stop first, whatever the answer below.
  coordination_.stop.set();
  // A running announcement records its end before the save question.
  announce_->endAnnouncement();
  if (!doc_.saveModified()) {
    event->ignore();
    return;
  }
  pageRank_->stopAndWait();
  targetCheck_->stopAndWait();
  calculator_->shutDown();
  update_->shutDown();  // a running online update
  event->accept();
}

}  // namespace larkspur::ui
