// The main window's layout: the list pane fits its tabs and columns on the
// first start, the layout is remembered from one run to the next in a file of
// its own, and the title bar marks unsaved changes.

#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QSettings>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "core/fixed_text.h"
#include "core/settings_store.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/main_window.h"
#include "ui/app/window_layout.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/lists/state_editor.h"
#include "ui/project/project_document.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

// The size the main window has before it is first shown maximised.
const QSize kDefaultSize(1000, 700);

// Whether every shown column of `list` lies inside its viewport.
bool columnsFit(const QTreeWidget& list) {
  return list.header()->length() <= list.viewport()->width() && !list.horizontalScrollBar()->isVisible();
}

}  // namespace

class TestWindowLayout : public test::ProgramTest {
  Q_OBJECT

 private:
  std::unique_ptr<LarkspurApplication> start() {
    auto app = std::make_unique<LarkspurApplication>();
    if (!test::startOn(*app, projectPath())) return nullptr;
    return app;
  }

  static bool showAt(MainWindow* frame, const QSize& size) {
    frame->resize(size);
    frame->show();
    return QTest::qWaitForWindowExposed(frame);
  }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>();
    program_->writeProject(QStringLiteral("site.lkr"), test::kGardenSite);
  }

  void cleanup() { program_.reset(); }

  void firstStartGivesTheListPaneWhatItsTabsAndColumnsNeed() {
    std::unique_ptr<LarkspurApplication> app = start();
    QVERIFY(app);
    MainWindow* frame = app->frame();
    EngineListView* engines = frame->itemView()->engineView();
    app->project().engines.at(0)->submit_state = "Submit-Error";
    engines->refreshStates();
    QVERIFY(showAt(frame, kDefaultSize));

    // Every tab whole, none behind scroll arrows.
    const QTabBar* bar = frame->itemView()->tabs()->tabBar();
    QCOMPARE(bar->count(), 3);
    for (int i = 0; i < bar->count(); ++i) {
      QVERIFY2(bar->rect().contains(bar->tabRect(i)), qPrintable(bar->tabText(i)));
    }
    // Every shown column of every list, and the longest state whole.
    QTabWidget* tabs = frame->itemView()->tabs();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      auto* list = qobject_cast<QTreeWidget*>(tabs->currentWidget());
      QTRY_VERIFY2(columnsFit(*list), qPrintable(tabs->tabText(i)));
    }
    // Names and countries whole (within a reasonable width).
    for (int c : {EngineListView::kColumnName, EngineListView::kColumnCountry}) {
      QVERIFY2(engines->columnWidth(c) >= std::min(engines->contentWidth(c), 240), qPrintable(QString::number(c)));
    }
    const QRect stateCell = engines->visualRect(engines->model()->index(0, EngineListView::kColumnState));
    QVERIFY(stateCell.width() > engines->fontMetrics().horizontalAdvance(QStringLiteral("Submit-Error")));
    // The browser pane gets the rest.
    const QSplitter* splitter = frame->splitter();
    QCOMPARE(splitter->sizes().at(0) + splitter->handleWidth() + splitter->sizes().at(1), splitter->width());
    QVERIFY(splitter->sizes().at(1) > kDefaultSize.width() / 3);
    test::closeQuietly(app);
  }

  void layoutSurvivesARestart() {
    const QString blob = home().settingsFolder() + QStringLiteral("/sysdata");
    {
      std::unique_ptr<LarkspurApplication> app = start();
      QVERIFY(app);
      MainWindow* frame = app->frame();
      QVERIFY(showAt(frame, QSize(700, 500)));
      frame->splitter()->setSizes({310, 390 - frame->splitter()->handleWidth()});
      LinkListView* links = frame->itemView()->linkView();
      links->setColumnShown(LinkListView::kColumnRank, false);
      links->setColumnShown(LinkListView::kColumnEmail, true);
      frame->itemView()->engineView()->setColumnWidth(EngineListView::kColumnHealth, 123);
      // A project opened meanwhile keeps the choice.
      QVERIFY(app->doc()->onOpenDocument(projectPath()));
      QCOMPARE(frame->itemView()->linkView()->shownColumns(),
               (QList<int>{LinkListView::kColumnUrl, LinkListView::kColumnEmail}));
      QCOMPARE(frame->itemView()->engineView()->columnWidth(EngineListView::kColumnHealth), 123);
      frame->close();
      QVERIFY(app->shutDown());
      test::closeQuietly(app);
    }
    // Kept in a file of its own; the blob keeps its widths.
    QVERIFY(QFile::exists(home().settingsFolder() + QLatin1Char('/') + QLatin1String(kWindowLayoutFileName)));
    core::Settings settings;
    QVERIFY(core::SettingsStore(core::SettingsStore::defaultFolder()).load(settings).ok());
    QCOMPARE(settings.link_column_widths, core::Settings::defaultLinkColumnWidths());
    QCOMPARE(settings.engine_column_widths, core::Settings::defaultEngineColumnWidths());
    QVERIFY(QFile::exists(blob));

    std::unique_ptr<LarkspurApplication> app = start();
    QVERIFY(app);
    MainWindow* frame = app->frame();
    QCOMPARE(frame->itemView()->linkView()->shownColumns(),
             (QList<int>{LinkListView::kColumnUrl, LinkListView::kColumnEmail}));
    QCOMPARE(frame->itemView()->engineView()->columnWidth(EngineListView::kColumnHealth), 123);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QCOMPARE(frame->size(), QSize(700, 500));
    QCOMPARE(frame->splitter()->sizes().at(0), 310);
    test::closeQuietly(app);
  }

  // What the links check found: offered in "Item Select", hidden until
  // chosen, and the choice kept in layout.ini, not in the settings blob.
  void checkColumnsAreOfferedHiddenAndKeptInTheLayout() {
    {
      std::unique_ptr<LarkspurApplication> app = start();
      QVERIFY(app);
      LinkListView* links = app->frame()->itemView()->linkView();
      std::unique_ptr<QMenu> menu = links->makeContextMenu();
      QMenu* columns = menu->findChild<QMenu*>(QStringLiteral("Item Select"));
      QVERIFY(columns);
      QStringList offered;
      for (QAction* a : columns->actions().mid(LinkListView::kFirstDetailColumn)) {
        offered << a->text() + (a->isChecked() ? QStringLiteral("*") : QString());
      }
      QCOMPARE(offered, (QStringList{"HTTP Status", "Final URL", "Link Found", "Anchor", "Rel", "Indexable",
                                     "First Seen", "Last Checked", "Lost Since"}));
      columns->actions()[LinkListView::kColumnLostSince]->trigger();
      QVERIFY(links->columnShown(LinkListView::kColumnLostSince));
      QVERIFY(links->columnWidth(LinkListView::kColumnLostSince) >=
              links->header()->sectionSizeHint(LinkListView::kColumnLostSince));
      links->setColumnWidth(LinkListView::kColumnUrl, 333);
      menu.reset();  // a child of the list
      app->frame()->close();
      QVERIFY(app->shutDown());
      test::closeQuietly(app);
    }
    QSettings layout(home().settingsFolder() + QLatin1Char('/') + QLatin1String(kWindowLayoutFileName),
                     QSettings::IniFormat);
    QCOMPARE(layout.value(QStringLiteral("LinkList/ShownColumns")).toStringList(), (QStringList{"0", "2", "14"}));
    core::Settings settings;
    QVERIFY(core::SettingsStore(core::SettingsStore::defaultFolder()).load(settings).ok());
    QCOMPARE(settings.link_column_widths, core::Settings::defaultLinkColumnWidths());

    std::unique_ptr<LarkspurApplication> app = start();
    QVERIFY(app);
    QCOMPARE(app->frame()->itemView()->linkView()->shownColumns(),
             (QList<int>{LinkListView::kColumnUrl, LinkListView::kColumnRank, LinkListView::kColumnLostSince}));
    QCOMPARE(app->frame()->itemView()->linkView()->columnWidth(LinkListView::kColumnUrl), 333);
    test::closeQuietly(app);
  }

  void titleMarksUnsavedChanges() {
    std::unique_ptr<LarkspurApplication> app = start();
    QVERIFY(app);
    MainWindow* frame = app->frame();
    QVERIFY(showAt(frame, kDefaultSize));
    QVERIFY(!app->doc()->isModified());
    QCOMPARE(frame->windowHandle()->title(), QStringLiteral("http://www.example-garden.com/ - Larkspur"));
    // A change of the records, as the engine list's state editor makes it.
    EngineListView* engines = frame->itemView()->engineView();
    engines->editState(0);
    emit engines->stateEditor()->activated(2);
    QVERIFY(app->doc()->isModified());
    QTRY_COMPARE(frame->windowHandle()->title(), QStringLiteral("http://www.example-garden.com/* - Larkspur"));
    test::closeQuietly(app);
  }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
