// The engine list: rows, the find dialog and Find Next, Up and Down, the
// state editor, clicks, the context menu, sorting, rank updates by record and
// the health cells.

#include <QHeaderView>
#include <QLineEdit>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "core/engine_table.h"
#include "core/fixed_text.h"
#include "core/settings_store.h"
#include "tests/ui/ui_test_support.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/find_dialog.h"
#include "ui/lists/state_editor.h"

using namespace larkspur;
using View = ui::EngineListView;

Q_DECLARE_METATYPE(core::EngineRecord*)

class TestEngineListView : public QObject {
  Q_OBJECT

 private:
  core::EngineTable engines_;
  std::unique_ptr<View> view_;

  QString cell(int row, int column) const { return view_->topLevelItem(row)->text(column); }
  QPoint cellCenter(int row, int column) const {
    const QRect r = view_->visualRect(view_->model()->index(row, column));
    return r.center();
  }
  int rowNamed(const QString& name) const {
    for (int r = 0; r < view_->rowCount(); ++r) {
      if (cell(r, View::kColumnName) == name) return r;
    }
    return -1;
  }
  QList<int> selectedRows() const {
    QList<int> rows;
    for (int r = 0; r < view_->rowCount(); ++r) {
      if (view_->topLevelItem(r)->isSelected()) rows << r;
    }
    return rows;
  }
  void selectRow(int row) {
    view_->clearSelection();
    view_->topLevelItem(row)->setSelected(true);
  }
  // The first row at or after `from` (before, going up) with a cell that
  // contains `text` without regard to case.
  int expectedHit(const QString& text, int from, int step) const {
    for (int r = from; r >= 0 && r < view_->rowCount(); r += step) {
      for (int c = 0; c < view_->columnCount(); ++c) {
        if (cell(r, c).contains(text, Qt::CaseInsensitive)) return r;
      }
    }
    return -1;
  }

 private slots:
  void initTestCase() {
    qRegisterMetaType<core::EngineRecord*>();
    QApplication::setQuitOnLastWindowClosed(false);
  }

  void init() {
    engines_.clear();
    engines_.buildFromBuiltIn();
    view_ = std::make_unique<View>(engines_, core::Settings::defaultEngineColumnWidths());
    view_->resize(600, 400);
    view_->fill();
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
  }

  void cleanup() { view_.reset(); }

  void rowsFollowTheTableWithSavedWidths() {
    QCOMPARE(view_->rowCount(), 342);
    QCOMPARE(view_->columnCount(), 6);
    const QStringList titles = {"Search Engine", "Country", "Type", "Rank", "Submit State", "Health"};
    const int widths[] = {88, 88, 48, 48, 80, View::kHealthColumnWidth};
    for (int c = 0; c < 6; ++c) {
      QCOMPARE(view_->headerItem()->text(c), titles[c]);
      if (c != View::kColumnState) QCOMPARE(view_->columnWidth(c), widths[c]);
    }
    // The state column is widened to show its longest state whole.
    QVERIFY(view_->columnWidth(View::kColumnState) >= widths[View::kColumnState]);
    QVERIFY(view_->columnWidth(View::kColumnState) > view_->fontMetrics().horizontalAdvance(QStringLiteral("Submit-Error")));
    for (int r = 0; r < view_->rowCount(); ++r) QCOMPARE(view_->recordAt(r), engines_.at(static_cast<std::size_t>(r)));
    QCOMPARE(cell(0, 0), QStringLiteral("Aardvark"));
    QCOMPARE(cell(0, 1), QStringLiteral("South Africa"));
    QCOMPARE(cell(0, 2), QStringLiteral("AUTO"));
    QCOMPARE(cell(0, 3), QStringLiteral("6"));
    QCOMPARE(cell(0, 4), QString());
    QCOMPARE(cell(rowNamed("Agriserve"), 2), QStringLiteral("SEMI"));
    QCOMPARE(view_->statusText(), QStringLiteral("Total Link: 342 Select:   0"));
  }

  void zeroWidthColumnIsHidden() {
    core::ColumnWidths widths = core::Settings::defaultEngineColumnWidths();
    widths[1] = 0;
    View view(engines_, widths);
    view.fill();
    QVERIFY(view.isColumnHidden(1));
    QVERIFY(!view.isColumnHidden(0));
  }

  void findDialogSearchesFromTheSelectionAndFindNextMovesPast() {
    test::MessageBoxRecorder boxes;
    QSignalSpy commandState(view_.get(), &View::commandStateChanged);
    view_->find();
    ui::FindDialog* dialog = view_->findDialog();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(dialog->downButton()->isChecked());
    QVERIFY(!view_->canFindNext());
    dialog->textEdit()->setText(QStringLiteral("oo"));
    QVERIFY(view_->canFindNext());
    QVERIFY(commandState.count() > 0);

    const int first = expectedHit("oo", 0, 1);
    QVERIFY(first > 0);
    dialog->findNextButton()->click();
    QCOMPARE(selectedRows(), QList<int>{first});
    QVERIFY(!dialog->isVisible());  // hidden after each search, but still there
    QVERIFY(view_->canFindNext());

    // The dialog's own search includes the selected row.
    dialog->findNextButton()->click();
    QCOMPARE(selectedRows(), QList<int>{first});
    // Find Next starts one row further.
    view_->findNext();
    const int second = expectedHit("oo", first + 1, 1);
    QCOMPARE(selectedRows(), QList<int>{second});
    QVERIFY(boxes.texts().isEmpty());

    // Closing the dialog forgets it.
    dialog->reject();
    QTRY_VERIFY(!view_->findDialog());
    QVERIFY(!view_->canFindNext());
  }

  void findOptions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("found");  // the name of the row found, empty: none
    QTest::newRow("part of a word") << "oogle" << false << false << "Google";
    QTest::newRow("whole word only equal cells") << "google" << false << true << "Google";
    QTest::newRow("whole word with case") << "google" << true << true << "";
    QTest::newRow("case of a part") << "OOGLE" << true << false << "";
    QTest::newRow("another column") << "Hong Kong" << false << true << "Google HK";
  }

  void findOptions() {
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QString, found);
    test::MessageBoxRecorder boxes;
    selectRow(5);
    ui::FindOptions options;
    options.text = text;
    options.matchCase = matchCase;
    options.wholeWord = wholeWord;
    const int row = view_->search(options, false);
    if (found.isEmpty()) {
      QCOMPARE(row, -1);
      QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Not found!")});
      QCOMPARE(selectedRows(), QList<int>{5});  // unchanged
    } else {
      QCOMPARE(cell(row, View::kColumnName), found);
      QCOMPARE(selectedRows(), QList<int>{row});
      QVERIFY(boxes.texts().isEmpty());
    }
  }

  void searchUpwards() {
    test::MessageBoxRecorder boxes;
    ui::FindOptions options;
    options.text = QStringLiteral("Google");
    options.down = false;
    // No selection: the search starts below the last row.
    const int last = expectedHit("Google", view_->rowCount() - 1, -1);
    QCOMPARE(view_->search(options, false), last);
    // Find Next goes on upwards from the row above.
    QCOMPARE(view_->search(options, true), expectedHit("Google", last - 1, -1));
    // From row 0 upwards there is nothing left.
    selectRow(0);
    QCOMPARE(view_->search(options, true), -1);
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Not found!")});
  }

  void upAndDownClampAndOpenTheTarget() {
    QSignalSpy opened(view_.get(), &View::openTargetRequested);
    view_->stepUp();  // no selection: row 0
    QCOMPARE(selectedRows(), QList<int>{0});
    view_->stepUp();  // stays on row 0 and opens it again
    QCOMPARE(selectedRows(), QList<int>{0});
    view_->stepDown();
    QCOMPARE(selectedRows(), QList<int>{1});
    QCOMPARE(opened.count(), 3);
    for (const QList<QVariant>& args : opened) QCOMPARE(args.at(1).toBool(), false);
    QCOMPARE(opened.at(0).at(0).value<core::EngineRecord*>(), engines_.at(0));
    QCOMPARE(opened.at(2).at(0).value<core::EngineRecord*>(), engines_.at(1));

    const int last = view_->rowCount() - 1;
    selectRow(last);
    view_->stepDown();
    QCOMPARE(selectedRows(), QList<int>{last});

    // Only the first selected row moves; the others stay selected.
    view_->clearSelection();
    view_->topLevelItem(3)->setSelected(true);
    view_->topLevelItem(7)->setSelected(true);
    view_->stepDown();
    QCOMPARE(selectedRows(), (QList<int>{4, 7}));
  }

  void selectAllAndInvert() {
    view_->topLevelItem(2)->setSelected(true);
    view_->invertSelection();
    QCOMPARE(view_->selectedRowCount(), 341);
    QVERIFY(!view_->topLevelItem(2)->isSelected());
    view_->selectAllRows();
    QCOMPARE(view_->statusText(), QStringLiteral("Total Link: 342 Select: 342"));
    // Auto targets of the selection: every row but the manual ones.
    std::size_t automatic = 0;
    for (std::size_t i = 0; i < engines_.size(); ++i) automatic += engines_.at(i)->submit_type != 0;
    QCOMPARE(view_->selectedAutoTargets().size(), automatic);
  }

  void clickOpensTargetButStateCellEditsState() {
    QSignalSpy opened(view_.get(), &View::openTargetRequested);
    QSignalSpy modified(view_.get(), &View::recordsModified);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, cellCenter(2, View::kColumnName));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).value<core::EngineRecord*>(), engines_.at(2));
    QCOMPARE(opened.at(0).at(1).toBool(), false);
    QCOMPARE(selectedRows(), QList<int>{2});

    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, cellCenter(4, View::kColumnCountry));
    QVERIFY(opened.count() >= 2);
    QCOMPARE(opened.last().at(0).value<core::EngineRecord*>(), engines_.at(4));
    QCOMPARE(opened.last().at(1).toBool(), true);
    const int before = opened.count();

    // The state cell: the editor, no target opened, selection untouched.
    view_->clearSelection();
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, cellCenter(3, View::kColumnState));
    ui::StateEditor* editor = view_->stateEditor();
    QVERIFY(editor->isVisible());
    QCOMPARE(opened.count(), before);
    QVERIFY(selectedRows().isEmpty());
    QCOMPARE(editor->currentText(), QStringLiteral("Un-Submit"));  // the first entry for an empty cell
    QCOMPARE(editor->count(), 3);
    QCOMPARE(editor->itemText(1), QStringLiteral("Submit-OK"));
    QCOMPARE(editor->itemText(2), QStringLiteral("Submit-Error"));
    // The editor lies over the state cell.
    const QRect cellRect = view_->visualRect(view_->model()->index(3, View::kColumnState));
    QCOMPARE(editor->geometry().left(), cellRect.left());
    QCOMPARE(editor->geometry().width(), view_->columnWidth(View::kColumnState));

    // Choosing an entry writes the cell and the record.
    QTest::keyClick(editor, Qt::Key_Down);
    QVERIFY(!editor->isVisible());
    QCOMPARE(cell(3, View::kColumnState), QStringLiteral("Submit-OK"));
    QCOMPARE(QString::fromUtf8(engines_.at(3)->submit_state.c_str()), QStringLiteral("Submit-OK"));
    QCOMPARE(modified.count(), 1);

    // Escape leaves everything as it was; the editor starts on the cell's state.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, cellCenter(3, View::kColumnState));
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->currentText(), QStringLiteral("Submit-OK"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QCOMPARE(cell(3, View::kColumnState), QStringLiteral("Submit-OK"));
    QCOMPARE(modified.count(), 1);
    QCOMPARE(opened.count(), before);
    // The same state chosen again changes nothing.
    view_->editState(3);
    emit editor->activated(1);
    QCOMPARE(modified.count(), 1);
  }

  void contextMenuDependsOnTheSelection() {
    QStringList texts;
    auto readMenu = [&texts] {
      QTimer::singleShot(50, [&texts] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        texts.clear();
        if (!menu) return;
        for (QAction* a : menu->actions()) texts << a->text() + (a->isEnabled() ? "" : " (disabled)");
        menu->close();
      });
    };
    const int manual = rowNamed("Agriserve");
    readMenu();
    QTest::mousePress(view_->viewport(), Qt::RightButton, {}, cellCenter(manual, 0));
    QTRY_COMPARE(texts, (QStringList{"Open in New Window", "", "Check Targets"}));
    readMenu();
    QTest::mousePress(view_->viewport(), Qt::RightButton, {}, cellCenter(0, 0));
    // Auto Submit waits for the batch dialog.
    QTRY_COMPARE(texts, (QStringList{"Auto Submit (disabled)", "Open in new window", "", "Check Targets"}));
  }

  void headerSortsCaseInsensitivelyAndToggles() {
    QHeaderView* header = view_->header();
    auto sortedBy = [this](int column, bool ascending) {
      for (int r = 1; r < view_->rowCount(); ++r) {
        const int order = cell(r - 1, column).compare(cell(r, column), Qt::CaseInsensitive);
        if (ascending ? order > 0 : order < 0) return false;
      }
      return true;
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 10, 5));
    QVERIFY(sortedBy(0, true));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 10, 5));
    QVERIFY(sortedBy(0, false));
    QVERIFY(!sortedBy(0, true));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(3) + 10, 5));
    QVERIFY(sortedBy(3, true));
    // The table keeps its order.
    QCOMPARE(QString::fromUtf8(engines_.at(0)->name.c_str()), QStringLiteral("Aardvark"));
  }

  void rankChangedFindsTheRecordAfterSorting() {
    view_->sortItems(View::kColumnName, Qt::DescendingOrder);
    core::EngineRecord* record = engines_.at(5);
    const int row = view_->rowOf(record);
    QVERIFY(row != 5);
    core::EngineRecord* atRowFive = view_->recordAt(5);
    const QString rowFiveRank = cell(5, View::kColumnRank);
    record->rank = 9;
    // The index names the record's place in the table, which is another row now.
    view_->handleMessage({core::MessageId::kRecordChanged, record, 5, {}});
    QCOMPARE(cell(row, View::kColumnRank), QStringLiteral("9"));
    QCOMPARE(cell(5, View::kColumnRank), rowFiveRank);
    QCOMPARE(view_->recordAt(5), atRowFive);

    // A record that is in no row changes nothing.
    core::EngineRecord stranger{};
    view_->handleMessage({core::MessageId::kRecordChanged, &stranger, 0, {}});
  }

  void healthCellsShowTheVerdictAndSortBestFirst() {
    // Every verdict and never checked, out of order, over the whole table.
    const char* const verdicts[] = {"gone", "", "live", "unknown", "parked", "no-form", "unreachable", "moved"};
    for (std::size_t i = 0; i < engines_.size(); ++i) {
      engines_.at(i)->health = verdicts[i % std::size(verdicts)];
      engines_.at(i)->health_reason = "reason " + std::to_string(i);
      view_->showHealth(*engines_.at(i));
    }
    QCOMPARE(view_->topLevelItem(0)->toolTip(View::kColumnHealth), QStringLiteral("reason 0"));
    // Sorted by the news the verdicts bring, never checked last; then reversed.
    QStringList order = {"live", "no-form", "moved", "parked", "gone", "unreachable", "unknown", ""};
    const QPoint title(view_->header()->sectionViewportPosition(View::kColumnHealth) + 10, 5);
    for (int click = 0; click < 2; ++click) {
      QTest::mouseClick(view_->header()->viewport(), Qt::LeftButton, {}, title);
      QStringList runs;
      for (int r = 0; r < view_->rowCount(); ++r) {
        if (runs.isEmpty() || runs.last() != cell(r, View::kColumnHealth)) runs << cell(r, View::kColumnHealth);
      }
      QCOMPARE(runs, order);
      std::reverse(order.begin(), order.end());
    }
  }

  void statesAreRewrittenFromTheRecords() {
    engines_.at(10)->submit_state = "Submit-Error";
    QCOMPARE(cell(10, View::kColumnState), QString());
    view_->refreshStates();
    QCOMPARE(cell(10, View::kColumnState), QStringLiteral("Submit-Error"));
  }
};

QTEST_MAIN(TestEngineListView)
#include "test_engine_list_view.moc"
