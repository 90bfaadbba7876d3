// The PPC list: its rows and widths, a click that finds the service's page
// already open (that tab is selected and nothing else happens), clicks that
// open or navigate, Up and Down, the menu, Copy of the names and the text
// order of the Rank column.

#include <QClipboard>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "core/fixed_text.h"
#include "core/ppc_list.h"
#include "core/settings_store.h"
#include "tests/ui/fake_page_opener.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/link_command_ids.h"
#include "ui/lists/ppc_list_view.h"

using namespace larkspur;
using View = ui::PpcListView;

namespace {

using larkspur::test::UrlRecorder;

}  // namespace

class TestPpcListView : public QObject {
  Q_OBJECT

 private:
  core::PpcList ppc_;
  std::unique_ptr<View> view_;
  test::FakePageOpener pane_;
  std::unique_ptr<test::MessageBoxRecorder> boxes_;

  QString cell(int row, int column) const { return view_->topLevelItem(row)->text(column); }
  QString urlOf(int row) const { return QString::fromUtf8(view_->recordAt(row)->url); }
  QPoint rowCenter(int row) const { return view_->visualItemRect(view_->topLevelItem(row)).center(); }
  void select(std::initializer_list<int> rows) {
    view_->clearSelection();
    for (int r : rows) view_->topLevelItem(r)->setSelected(true);
  }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    boxes_ = std::make_unique<test::MessageBoxRecorder>();
    ppc_.fillFromBuiltIn();
    pane_ = test::FakePageOpener();
    core::ColumnWidths widths = core::Settings::defaultEngineColumnWidths();
    widths[0] = 120;
    widths[1] = 90;
    widths[2] = 10;  // the engine list's type column is not used
    widths[3] = 50;
    view_ = std::make_unique<View>(ppc_, widths);
    view_->setOpenerSource([this] { return &pane_; });
    view_->resize(500, 600);
    view_->fill();
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
  }

  void cleanup() {
    view_.reset();
    boxes_.reset();
  }

  void rowsAndColumns() {
    QCOMPARE(view_->rowCount(), 29);
    QCOMPARE(view_->headerItem()->text(0), QStringLiteral("PPC Search Engine"));
    QCOMPARE(view_->headerItem()->text(1), QStringLiteral("Country"));
    QCOMPARE(view_->headerItem()->text(2), QStringLiteral("Rank"));
    QCOMPARE(view_->columnWidth(0), 120);
    QCOMPARE(view_->columnWidth(1), 90);
    QCOMPARE(view_->columnWidth(2), 50);
    QCOMPARE(cell(0, 0) + "|" + cell(0, 1) + "|" + cell(0, 2), QStringLiteral("Google|USA|10"));
    QCOMPARE(cell(18, 0) + "|" + cell(18, 1), QStringLiteral("Miva.ES|SPlash"));
    QCOMPARE(cell(28, 0), QStringLiteral("Searchfeed"));
    QCOMPARE(view_->recordAt(5), ppc_.at(5));
    QCOMPARE(view_->statusText(), QStringLiteral("Total Link:  29 Select:   0"));
    view_->fill();  // the rows are added once
    QCOMPARE(view_->rowCount(), 29);
  }

  void clickOnARowWhosePageIsOpenSelectsThatTabAndLeavesTheSelection() {
    select({3});
    pane_.pages = {QStringLiteral("http://elsewhere.example/"), urlOf(7) + QStringLiteral("/"), urlOf(9)};
    pane_.selected = 0;
    QSignalSpy status(view_.get(), &View::statusTextChanged);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(7));
    QCOMPARE(pane_.selections, std::vector<int>{1});
    QCOMPARE(pane_.selected, 1);
    QVERIFY(pane_.opened.empty());
    QCOMPARE(view_->selectedRows(), std::vector<int>{3});
    QCOMPARE(status.count(), 0);
    // The address is compared exactly.
    pane_.pages[1] = urlOf(7).toUpper();
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(7));
    QCOMPARE(pane_.opened.size(), std::size_t{1});
    QCOMPARE(pane_.opened[0], (std::pair<QString, bool>{urlOf(7), false}));
    QCOMPARE(view_->selectedRows(), std::vector<int>{7});
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Total Link:  29 Select:   1"));
  }

  void clickWithoutPagesOpensOneAndDoubleClickOpensAnother() {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(2));
    QCOMPARE(pane_.opened, (std::vector<std::pair<QString, bool>>{{urlOf(2), true}}));
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(4));
    QCOMPARE(pane_.opened.back(), (std::pair<QString, bool>{urlOf(4), true}));
  }

  void upAndDownShowThePageOfTheRowTheyTake() {
    view_->stepUp();  // nothing selected: row 0, a new page
    QCOMPARE(view_->selectedRows(), std::vector<int>{0});
    QCOMPARE(pane_.opened.back(), (std::pair<QString, bool>{urlOf(0), true}));
    view_->stepDown();
    QCOMPARE(view_->selectedRows(), std::vector<int>{1});
    QCOMPARE(pane_.opened.back(), (std::pair<QString, bool>{urlOf(1), false}));
    select({28});
    view_->stepDown();
    QCOMPARE(view_->selectedRows(), std::vector<int>{28});
    QCOMPARE(pane_.opened.back(), (std::pair<QString, bool>{urlOf(28), false}));
  }

  void menuOpensInANewPageOrTheDesktopBrowser() {
    std::unique_ptr<QMenu> menu = view_->makeContextMenu();
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("Open in New Window"));
    QCOMPARE(menu->actions()[0]->data().toInt(), ui::kIdPpcOpenInNewWindow);
    QCOMPARE(menu->actions()[1]->text(), QStringLiteral("Open in Browser"));
    QCOMPARE(menu->actions()[1]->data().toInt(), ui::kIdPpcOpenInBrowser);
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    menu->actions()[0]->trigger();  // nothing selected: nothing happens
    menu->actions()[1]->trigger();
    QVERIFY(pane_.opened.empty());
    QVERIFY(recorder.urls.isEmpty());
    select({5, 6});
    menu->actions()[0]->trigger();
    menu->actions()[1]->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(pane_.opened, (std::vector<std::pair<QString, bool>>{{urlOf(5), true}}));
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl(urlOf(5))});
  }

  void copyPutsTheSelectedNames() {
    select({1, 0});
    QVERIFY(view_->copy());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Google\r\nYahoo\r\n"));
  }

  void rankSortsAsTextAndFindIgnoresCase() {
    view_->header()->setSortIndicator(View::kColumnRank, Qt::AscendingOrder);
    QCOMPARE(cell(0, View::kColumnRank), QStringLiteral("10"));
    QCOMPARE(cell(1, View::kColumnRank), QStringLiteral("3"));
    QCOMPARE(cell(28, View::kColumnRank), QStringLiteral("9"));
    view_->header()->setSortIndicator(View::kColumnName, Qt::AscendingOrder);
    QCOMPARE(cell(0, 0), QStringLiteral("411web"));
    QCOMPARE(cell(1, 0), QStringLiteral("7Search"));

    ui::FindOptions options;
    options.text = QStringLiteral("united kingdom");
    const int found = view_->search(options, false);
    QCOMPARE(cell(found, View::kColumnCountry), QStringLiteral("United Kingdom"));
    QCOMPARE(cell(found, 0), QStringLiteral("Mirago.UK"));
    options.wholeWord = true;
    options.text = QStringLiteral("united");
    view_->clearSelection();
    QCOMPARE(view_->search(options, false), -1);
    QCOMPARE(boxes_->texts(), QStringList{QStringLiteral("Not found!")});
  }
};

QTEST_MAIN(TestPpcListView)
#include "test_ppc_list_view.moc"
