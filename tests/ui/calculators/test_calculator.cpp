// The "Advertise Calculator" window: pages, fields and help texts as the
// user sees them, recomputation while typing, and one window at a time from
// the main window's "ROI Calculator" command.

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "calculators/ad_calculator.h"
#include "calculators/ad_calculator_pages.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/calculators/advertise_calculator_dialog.h"
#include "ui/calculators/calculator_commands.h"
#include "ui/calculators/cpc_page.h"
#include "ui/calculators/cpm_page.h"
#include "ui/calculators/roi_page.h"
#include "ui/project/project_document.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Replaces a field's text the way typing does: select all, type.
void type(CalculatorPage* page, int id, const QString& text) {
  QLineEdit* edit = page->field(id);
  QVERIFY(edit);
  edit->setFocus();
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Delete);
  } else {
    QTest::keyClicks(edit, text);
  }
}

QString value(CalculatorPage* page, int id) { return page->field(id)->text(); }

}  // namespace

class TestCalculator : public QObject {
  Q_OBJECT

 private slots:
  void windowShowsThreePagesWithEveryField() {
    AdvertiseCalculatorDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Advertise Calculator"));
    QTabWidget* tabs = dialog.tabs();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral(" ROI  "));
    QCOMPARE(tabs->tabText(1), QStringLiteral(" CPC  "));
    QCOMPARE(tabs->tabText(2), QStringLiteral(" CPM  "));
    QCOMPARE(tabs->widget(0), static_cast<QWidget*>(dialog.roiPage()));
    QCOMPARE(tabs->widget(2), static_cast<QWidget*>(dialog.cpmPage()));

    const CalculatorPage* pages[] = {dialog.roiPage(), dialog.cpcPage(), dialog.cpmPage()};
    const QStringList expected[] = {
        {"1000 Cost Per Click: $", "1001 Conversion Ratio: %", "1002 Average Profit Per Sale: $",
         "1009 Total Spend In Campaign: $", "1008 ROI: $", "1005 Profit: $"},
        {"1000 Conversion Ratio: %", "1001 Average Profit: $", "1002 Percentage Of Profit To Spend: %",
         "1009 Maximum PPC to pay: %"},
        {"1000 Cost per 1000 Impressions: $", "1001 Click Ratio: %", "1002 Actual  Cost Per Click: $"},
    };
    for (int p = 0; p < 3; ++p) {
      QStringList shown;
      auto* grid = pages[p]->findChild<QGridLayout*>();
      QVERIFY(grid);
      for (int i = 0; i < pages[p]->fieldCount(); ++i) {
        // Label, field and unit on one row.
        auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(i, 0)->widget());
        auto* edit = qobject_cast<QLineEdit*>(grid->itemAtPosition(i, 1)->widget());
        auto* unit = qobject_cast<QLabel*>(grid->itemAtPosition(i, 2)->widget());
        QVERIFY(label && edit && unit);
        QCOMPARE(edit, pages[p]->fieldAt(i));
        QCOMPARE(label->buddy(), static_cast<QWidget*>(edit));
        QVERIFY(edit->text().isEmpty());
        shown << QStringLiteral("%1 %2 %3").arg(edit->property("controlId").toInt()).arg(label->text(), unit->text());
      }
      QCOMPARE(shown, expected[p]);
      QVERIFY(pages[p]->helpText().isEmpty());  // empty until a field gets the focus
      QCOMPARE(pages[p]->helpBox()->property("controlId").toInt(), 1003);
    }
  }

  void focusShowsTheFieldsHelpText() {
    AdvertiseCalculatorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    struct Case {
      int page;
      int id;
      const char* start;
    };
    const Case cases[] = {
        {0, 1000, "The cost per click is the amount you pay"},
        {0, 1001, "The conversion ratio percentage"},
        {0, 1002, "This is the averaged value"},
        {0, 1009, "The total amount (in dollars)"},
        {0, 1008, "The return on your advertising"},
        {0, 1005, "The gross profit"},
        {1, 1000, "The conversion ratio percentage"},
        {1, 1001, "This is the averaged value"},
        {1, 1002, "This is the percentage of your profit"},
        {1, 1009, "This is the maximum PPC"},
        {2, 1000, "Enter the CPM"},
        {2, 1001, "This is the ratio of people"},
        {2, 1002, "This is the actual cost"},
    };
    for (const Case& c : cases) {
      dialog.tabs()->setCurrentIndex(c.page);
      auto* page = static_cast<CalculatorPage*>(dialog.tabs()->widget(c.page));
      page->field(c.id)->setFocus(Qt::TabFocusReason);
      QApplication::processEvents();
      const QString help = page->helpText();
      QVERIFY2(help.startsWith(QLatin1String(c.start)), qPrintable(help));
      // Exactly the page description's text, trailing blank included.
      for (const auto& info : page->info().fields) {
        if (info.id == c.id) QCOMPARE(help, q(info.help));
      }
    }
    QCOMPARE(dialog.roiPage()->helpText(), q(dialog.roiPage()->info().fields[5].help));
    QVERIFY(dialog.roiPage()->helpText().endsWith(QLatin1String("costs. ")));
    QVERIFY(dialog.cpcPage()->helpText().endsWith(QLatin1String("above. ")));
    // The average profit text has no trailing blank.
    QVERIFY(q(dialog.cpcPage()->info().fields[1].help).endsWith(QLatin1String("automatically.")));
  }

  void workedExamplesWhileTyping() {
    AdvertiseCalculatorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    CpcPage* cpc = dialog.cpcPage();
    dialog.tabs()->setCurrentWidget(cpc);
    type(cpc, 1000, "5");
    QCOMPARE(value(cpc, 1009), QString());  // the other two are still empty
    type(cpc, 1001, "65");
    QCOMPARE(value(cpc, 1009), QString());
    type(cpc, 1002, "40");
    QCOMPARE(value(cpc, 1009), QStringLiteral("1.30"));
    // Each keystroke recomputes once all three are filled.
    QTest::keyClick(cpc->field(1002), Qt::Key_Backspace);
    QCOMPARE(value(cpc, 1009), QStringLiteral("0.13"));
    // Emptying the field being typed into still recomputes: it reads as 0.
    type(cpc, 1002, "");
    QCOMPARE(value(cpc, 1009), QStringLiteral("0.00"));

    RoiPage* roi = dialog.roiPage();
    dialog.tabs()->setCurrentWidget(roi);
    type(roi, 1000, "0.5");
    type(roi, 1002, "65");
    type(roi, 1009, "100");
    QCOMPARE(value(roi, 1008), QString());  // conversion ratio still empty
    // Typing the average profit with the ratio empty: the ratio reads as 0.
    type(roi, 1002, "65");
    QCOMPARE(value(roi, 1008), QStringLiteral("0.00"));
    QCOMPARE(value(roi, 1005), QStringLiteral("-100.00"));
    type(roi, 1001, "5");
    QCOMPARE(value(roi, 1008), QStringLiteral("650.00"));
    QCOMPARE(value(roi, 1005), QStringLiteral("550.00"));
    // A result field may be typed into; it recomputes nothing.
    type(roi, 1008, "7");
    QCOMPARE(value(roi, 1008), QStringLiteral("7"));
    QCOMPARE(value(roi, 1005), QStringLiteral("550.00"));
    // Leading numbers count; letters alone read as 0 but fill the field.
    type(roi, 1009, "100dollars");
    QCOMPARE(value(roi, 1008), QStringLiteral("650.00"));

    CpmPage* cpm = dialog.cpmPage();
    dialog.tabs()->setCurrentWidget(cpm);
    type(cpm, 1000, "5");
    QCOMPARE(value(cpm, 1002), QString());
    type(cpm, 1001, "2");
    QCOMPARE(value(cpm, 1002), QStringLiteral("0.25"));

    // Switching tabs keeps every value.
    dialog.tabs()->setCurrentWidget(cpc);
    QCOMPARE(value(roi, 1001), QStringLiteral("5"));
    QCOMPARE(value(cpc, 1001), QStringLiteral("65"));
  }

  void divisionByZeroShowsAReadableText() {
    AdvertiseCalculatorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    CpmPage* cpm = dialog.cpmPage();
    dialog.tabs()->setCurrentWidget(cpm);
    type(cpm, 1000, "5");
    type(cpm, 1001, "0");
    QCOMPARE(value(cpm, 1002), q(calculators::kDivisionByZeroText));
    type(cpm, 1001, "abc");  // non-empty, reads as 0
    QCOMPARE(value(cpm, 1002), q(calculators::kDivisionByZeroText));
    type(cpm, 1001, "4");
    QCOMPARE(value(cpm, 1002), QStringLiteral("0.12"));

    RoiPage* roi = dialog.roiPage();
    dialog.tabs()->setCurrentWidget(roi);
    type(roi, 1001, "5");
    type(roi, 1002, "65");
    type(roi, 1009, "100");
    type(roi, 1000, "0");
    QCOMPARE(value(roi, 1008), q(calculators::kDivisionByZeroText));
    QCOMPARE(value(roi, 1005), q(calculators::kDivisionByZeroText));
  }

  void oneWindowFromTheMainWindow() {
    test::ProgramFixture program;
    const QString project = program.writeProject(QStringLiteral("site.lkr"), test::kGardenSite);
    LarkspurApplication app;
    QVERIFY(test::startOn(app, project));
    CommandHost* frame = app.host();
    CalculatorCommands* tools = test::installed<CalculatorCommands>(app);

    QVERIFY(frame->runCommand(kIdRoiCalculator));
    QPointer<AdvertiseCalculatorDialog> first = tools->calculator();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());  // a window of its own, opened over the main window
    QCOMPARE(first->parentWidget(), frame->widget());
    type(first->cpmPage(), 1000, "5");
    first->showMinimized();
    QVERIFY(frame->runCommand(kIdRoiCalculator));
    QCOMPARE(tools->calculator(), first.data());  // the same window, restored
    QVERIFY(!first->isMinimized());
    QCOMPARE(value(first->cpmPage(), 1000), QStringLiteral("5"));

    // OK, Cancel and the close box each close and destroy it; the next one is empty.
    const std::function<void(AdvertiseCalculatorDialog*)> closers[] = {
        [](AdvertiseCalculatorDialog* d) { d->accept(); },
        [](AdvertiseCalculatorDialog* d) { d->reject(); },
        [](AdvertiseCalculatorDialog* d) { d->close(); },
    };
    for (const auto& close : closers) {
      QPointer<AdvertiseCalculatorDialog> open = tools->calculator();
      close(open);
      QTRY_VERIFY(!open);
      QVERIFY(!tools->calculator());
      QVERIFY(frame->runCommand(kIdRoiCalculator));
      QVERIFY(tools->calculator());
      QVERIFY(value(tools->calculator()->cpmPage(), 1000).isEmpty());
      QVERIFY(value(tools->calculator()->roiPage(), 1000).isEmpty());
    }

    // The window does not outlive the main window.
    QPointer<AdvertiseCalculatorDialog> last = tools->calculator();
    app.doc()->setModified(false);
    frame->widget()->close();
    QVERIFY(!last);
  }
};

QTEST_MAIN(TestCalculator)
#include "test_calculator.moc"
