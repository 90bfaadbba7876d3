// The list printer: page geometry as plain arithmetic, what a page shows
// (recorded by a paint device that keeps every text and rule, and painted on
// an image), the description of a tree view as shown, and real pages printed
// to a PDF file.

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <vector>

#include "ui/printing/list_print_description.h"
#include "ui/printing/list_print_layout.h"
#include "tests/ui/ui_test_support.h"
#include "ui/printing/list_printer.h"

using namespace larkspur::ui;

namespace {

// Keeps the texts and filled rectangles painted on it.
class RecordingEngine : public QPaintEngine {
 public:
  struct Text {
    QPointF at;
    QString text;
  };
  RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) rects_.push_back(rects[i].toRect());
  }
  void drawRects(const QRect* rects, int count) override {
    for (int i = 0; i < count; ++i) rects_.push_back(rects[i]);
  }
  void drawTextItem(const QPointF& p, const QTextItem& item) override { texts_.push_back({p, item.text()}); }
  Type type() const override { return QPaintEngine::User; }

  std::vector<Text> texts_;
  std::vector<QRect> rects_;
};

// A 600 dpi page of 4800 x 6600 device units (8 x 11 inches printable).
class RecordingDevice : public QPaintDevice {
 public:
  QPaintEngine* paintEngine() const override { return &engine_; }
  RecordingEngine& engine() const { return engine_; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: return 4800;
      case PdmHeight: return 6600;
      case PdmWidthMM: return 203;
      case PdmHeightMM: return 279;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY: return 600;
      case PdmNumColors: return 256;
      case PdmDepth: return 32;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
      default: return 0;
    }
  }

 private:
  mutable RecordingEngine engine_;
};

ListPrintDescription sampleList(int rows) {
  ListPrintDescription list;
  list.title = QStringLiteral("Larkspur");
  list.subtitle = QStringLiteral("http://www.example-garden.com/");
  list.columns = {{QStringLiteral("Search Engine"), 88}, {QStringLiteral("Country"), 0},
                  {QStringLiteral("Type"), 48}, {QStringLiteral("Rank"), 48}, {QStringLiteral("Submit State"), 80}};
  for (int r = 0; r < rows; ++r) {
    list.rows.push_back(QStringList{QStringLiteral("Engine %1").arg(r), QStringLiteral("hidden %1").arg(r),
                                    QStringLiteral("AUTO"), QString::number(r % 10), QStringLiteral("Un-Submit")});
  }
  list.screenCharWidth = 7;
  return list;
}

// A page of 4800 x 6600 device units at 2.5 units a screen pixel.
const ListPrintMetrics kPage{.printableWidth = 4800, .printableHeight = 6600, .titleLineHeight = 110,
                             .footerLineHeight = 90, .rowLineHeight = 100, .scale = 2.5};

using larkspur::test::countPdfPages;

}  // namespace

class TestListPrinter : public QObject {
  Q_OBJECT

 private slots:
  void geometryOfAPage() {
    const ListPrintMetrics& m = kPage;
    const int widths[] = {88, 0, 48, 1800, 80};
    const ListPrintLayout l = layoutListPages(m, widths, 250);

    QCOMPARE(l.left, 200);
    QCOMPARE(l.top, 150);
    QCOMPARE(l.right, 4600);
    QCOMPARE(l.bottom, 6450);
    QCOMPARE(l.bodyTop, 150 + 220);
    QCOMPARE(l.bodyBottom, 6450 - 180);
    QCOMPARE(l.headerRuleTop(), 150 + 165);
    QCOMPARE(l.footerRuleTop(), 6270 + 55);  // the footer rule is placed by the title line height
    QCOMPARE(l.pageNumberTop(), 6450 - 90);
    // (body height - one title row) / row height, rounded down.
    QCOMPARE(l.rowsPerPage, (5900 - 100) / 100);
    QCOMPARE(l.pageCount, 5);  // 250 rows at 58 a page

    QCOMPARE(int(l.columns.size()), 5);
  }

  // The shown columns share the frame's width in proportion to their screen
  // widths, side by side from margin to margin, whatever the list's width.
  void columnsSpanThePage_data() {
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("wider than the page") << QList<int>{88, 0, 48, 1800, 80};
    QTest::newRow("narrower than the page") << QList<int>{30, 20};
    QTest::newRow("one column") << QList<int>{50};
    QTest::newRow("hidden at both ends") << QList<int>{0, 100, 300, 0};
    QTest::newRow("a column of one pixel") << QList<int>{1, 5000};
    QTest::newRow("nothing shown") << QList<int>{0, 0};
  }

  void columnsSpanThePage() {
    QFETCH(QList<int>, widths);
    const ListPrintMetrics& m = kPage;
    const std::vector<int> w(widths.begin(), widths.end());
    const ListPrintLayout l = layoutListPages(m, w, 10);
    QCOMPARE(int(l.columns.size()), int(w.size()));
    int total = 0;
    for (const int width : w) total += width;
    int edge = l.left;
    for (std::size_t c = 0; c < w.size(); ++c) {
      const ListPrintColumnGeometry& column = l.columns[c];
      QCOMPARE(column.visible, w[c] > 0);
      QCOMPARE(column.x0, edge);  // each column starts where the one before ended
      const double share = total > 0 ? double(l.right - l.left) * w[c] / total : 0.0;
      QVERIFY2(std::abs(column.right - column.x0 - share) <= 1, qPrintable(QString::number(c)));
      // Texts keep the same gap, at most 5 screen pixels, to both edges.
      QVERIFY(column.left - column.x0 <= 12);
      QCOMPARE(column.left - column.x0, column.right - column.textRight);
      QVERIFY(column.left <= column.textRight);
      if (column.right > column.x0) QVERIFY(column.left < column.textRight);
      edge = column.right;
    }
    QCOMPARE(edge, total > 0 ? l.right : l.left);
  }

  // Painted on a page: every text stays between its column's text edges,
  // however long, and the last column's texts reach the page's right side.
  void cellTextsStayInTheirColumns_data() {
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("the engine list") << QList<int>{100, 70, 40, 40, 80, 200};
    QTest::newRow("wider than the page") << QList<int>{300, 900, 0, 1200};
    QTest::newRow("narrow") << QList<int>{40, 25};
  }

  void cellTextsStayInTheirColumns() {
    QFETCH(QList<int>, widths);
    ListPrintDescription list;
    list.title = QStringLiteral("Larkspur");
    list.listFont = QFont(QStringLiteral("DejaVu Sans"), 9);
    list.screenCharWidth = 7;
    for (const int width : widths) list.columns.push_back({QStringLiteral("Column Title Of Some Length"), width});
    for (int r = 0; r < 4; ++r) {
      QStringList cells;
      for (qsizetype c = 0; c < widths.size(); ++c) {
        cells << QStringLiteral("United Arab Emirates, a country name longer than its column %1").arg(r);
      }
      list.rows.push_back(cells);
    }
    // An A4 page at 150 dots per inch.
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.setDotsPerMeterX(5906);
    page.setDotsPerMeterY(5906);
    page.fill(Qt::white);
    const ListPrinter printer(list);
    const ListPrinter::Job job = printer.prepare(page);
    const ListPrintLayout& l = job.layout;
    {
      QPainter painter(&page);
      printer.paintPage(painter, job, 1);
    }
    const int top = l.bodyTop;
    const int bottom = l.rowTop(3) + l.rowLineHeight;
    int lastInk = -1;
    for (int y = top; y < bottom; ++y) {
      for (int x = l.left; x < l.right; ++x) {
        if (qGray(page.pixel(x, y)) > 160) continue;
        // Ink: it must lie within the text edges of the column it is in.
        const ListPrintColumnGeometry* in = nullptr;
        for (const ListPrintColumnGeometry& column : l.columns) {
          if (column.visible && x >= column.x0 && x < column.right) in = &column;
        }
        QVERIFY2(in, qPrintable(QStringLiteral("ink outside every column at %1,%2").arg(x).arg(y)));
        QVERIFY2(x >= in->left - 1 && x <= in->textRight,
                 qPrintable(QStringLiteral("ink at %1,%2 outside %3..%4").arg(x).arg(y).arg(in->left).arg(
                     in->textRight)));
        lastInk = std::max(lastInk, x);
      }
    }
    // The texts of the last column reach its right edge (within an ellipsis
    // and a character), which is the page's.
    const ListPrintColumnGeometry& last = l.columns.back();
    QCOMPARE(last.right, l.right);
    const int slack = 3 * QFontMetrics(job.rowFont, &page).averageCharWidth();
    QVERIFY2(lastInk > last.textRight - slack, qPrintable(QString::number(lastInk)));
  }

  void rowsAndPages_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastPageFirst");
    QTest::addColumn<int>("lastPageEnd");
    // 10 rows a page with the metrics below.
    QTest::newRow("empty list: no page") << 0 << 0 << 0 << 0;
    QTest::newRow("one row") << 1 << 1 << 0 << 1;
    QTest::newRow("exactly one page") << 10 << 1 << 0 << 10;
    QTest::newRow("2R rows") << 20 << 2 << 10 << 20;
    QTest::newRow("2R + 1 rows: third page holds one row") << 21 << 3 << 20 << 21;
  }

  void rowsAndPages() {
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, lastPageFirst);
    QFETCH(int, lastPageEnd);
    // The body: one title row and ten rows of 100.
    const ListPrintMetrics m{.printableWidth = 2000, .printableHeight = 150 + 100 + 1100 + 100 + 150,
                             .titleLineHeight = 50, .footerLineHeight = 50, .rowLineHeight = 100, .scale = 1.0};
    const ListPrintLayout l = layoutListPages(m, std::vector<int>{50}, rows);
    QCOMPARE(l.rowsPerPage, 10);
    QCOMPARE(l.pageCount, pages);
    if (pages == 0) return;
    QCOMPARE(l.firstRow(pages), lastPageFirst);
    QCOMPARE(l.endRow(pages), lastPageEnd);
    // The first row of every page sits right under the column titles.
    QCOMPARE(l.rowTop(lastPageFirst), l.bodyTop + 100);
    QCOMPARE(l.rowTop(lastPageEnd - 1), l.bodyTop + 100 + ((lastPageEnd - 1) % 10) * 100);
  }

  void pageTooSmallForARowStillPrintsEveryRow() {
    // The body is shorter than two rows.
    const ListPrintMetrics m{.printableWidth = 1000, .printableHeight = 500, .titleLineHeight = 40,
                             .footerLineHeight = 40, .rowLineHeight = 100, .scale = 1.0};
    const ListPrintLayout l = layoutListPages(m, std::vector<int>{10}, 3);
    QCOMPARE(l.rowsPerPage, 1);
    QCOMPARE(l.pageCount, 3);
  }

  void pageShowsHeaderColumnsRowsAndFooter() {
    ListPrintDescription many = sampleList(1);
    RecordingDevice device;
    ListPrinter probe(many);
    const int perPage = probe.prepare(device).layout.rowsPerPage;
    many = sampleList(2 * perPage + 1);

    const ListPrinter printer(many);
    const ListPrinter::Job job = printer.prepare(device);
    const ListPrintLayout& l = job.layout;
    QCOMPARE(l.pageCount, 3);
    {
      QPainter painter(&device);
      printer.paintPage(painter, job, 3);
    }
    const RecordingEngine& e = device.engine();
    QStringList texts;
    for (const auto& t : e.texts_) texts << t.text;
    QCOMPARE(texts, (QStringList{"Larkspur", "http://www.example-garden.com/", "Search Engine", "Type", "Rank",
                                 "Submit State", QStringLiteral("Engine %1").arg(2 * perPage), "AUTO",
                                 QString::number((2 * perPage) % 10), "Un-Submit", "Page 3 of 3"}));
    auto textAt = [&](const QString& text) {
      for (const auto& t : e.texts_) {
        if (t.text == text) return t.at;
      }
      return QPointF(-1, -1);
    };
    // Texts start at their cell's left edge; the subtitle ends at the right edge.
    QCOMPARE(int(textAt("Larkspur").x()), l.left);
    QCOMPARE(int(textAt("Search Engine").x()), l.columns[0].left);
    QCOMPARE(int(textAt("Type").x()), l.columns[2].left);
    QCOMPARE(int(textAt("Un-Submit").x()), l.columns[4].left);
    QVERIFY(textAt("Page 3 of 3").x() > l.left + (l.right - l.left) / 2);
    // The page's one row sits under the column titles, the page number on the footer's last line.
    QVERIFY(textAt("Engine " + QString::number(2 * perPage)).y() > textAt("Search Engine").y());
    QVERIFY(textAt("Page 3 of 3").y() > l.pageNumberTop());
    QVERIFY(textAt("Page 3 of 3").y() <= l.bottom);
    // Two rules, 5 units high, from margin to margin.
    QCOMPARE(int(e.rects_.size()), 2);
    QCOMPARE(e.rects_[0], QRect(l.left, l.headerRuleTop(), l.right - l.left, 5));
    QCOMPARE(e.rects_[1], QRect(l.left, l.footerRuleTop(), l.right - l.left, 5));
  }

  void describesATreeAsShown() {
    QTreeWidget tree;
    tree.setColumnCount(3);
    tree.setHeaderLabels({"A", "B", "C"});
    tree.setColumnWidth(0, 70);
    tree.setColumnWidth(1, 30);
    tree.setColumnWidth(2, 90);
    for (const char* name : {"pear", "apple", "fig"}) {
      auto* item = new QTreeWidgetItem(&tree);
      item->setText(0, QString::fromLatin1(name));
      item->setText(1, QStringLiteral("b-") + name);
      item->setText(2, QStringLiteral("c-") + name);
    }
    tree.sortItems(0, Qt::AscendingOrder);
    tree.header()->moveSection(2, 0);  // C shown first
    tree.setColumnHidden(1, true);
    const ListPrintDescription d = describeListForPrint(tree);
    QCOMPARE(int(d.columns.size()), 3);
    QCOMPARE(d.columns[0].title, QStringLiteral("C"));
    QCOMPARE(d.columns[0].width, 90);
    QCOMPARE(d.columns[1].title, QStringLiteral("A"));
    QCOMPARE(d.columns[2].title, QStringLiteral("B"));
    QCOMPARE(d.columns[2].width, 0);
    QCOMPARE(int(d.rows.size()), 3);
    QCOMPARE(d.rows[0], (QStringList{"c-apple", "apple", "b-apple"}));
    QCOMPARE(d.rows[2], (QStringList{"c-pear", "pear", "b-pear"}));
    QVERIFY(d.screenCharWidth > 0);
  }

  void printsPagesToPdf() {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);

    // No rows: no page, no job, no file.
    const QString empty = dir.filePath("empty.pdf");
    printer.setOutputFileName(empty);
    QCOMPARE(ListPrinter(sampleList(0)).print(printer), 0);
    QVERIFY(!QFile::exists(empty));

    const int perPage = ListPrinter(sampleList(1)).prepare(printer).layout.rowsPerPage;
    QVERIFY(perPage > 10);
    const QString three = dir.filePath("three.pdf");
    printer.setOutputFileName(three);
    QCOMPARE(ListPrinter(sampleList(2 * perPage + 1)).print(printer), 3);
    QCOMPARE(countPdfPages(three), 3);

    // A page range from the print dialog.
    const QString range = dir.filePath("range.pdf");
    printer.setOutputFileName(range);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 9);
    QCOMPARE(ListPrinter(sampleList(2 * perPage + 1)).print(printer), 2);
    QCOMPARE(countPdfPages(range), 2);
  }
};

QTEST_MAIN(TestListPrinter)
#include "test_list_printer.moc"
