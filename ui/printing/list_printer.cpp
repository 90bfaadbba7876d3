#include "ui/printing/list_printer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace larkspur::ui {

namespace {

// Average character widths are measured over the first 52 characters of this
// text (as it is, with its doubled 'S').
const char kWidthSample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
constexpr int kWidthSampleLength = 52;

// The printed fonts are the list's own font (its family and style) in these
// sizes and weights; the rows keep the list's own size and weight.
struct FontSpec {
  double points;  // 0: the list font's own size
  int weight;     // 0: the list font's own weight
};
constexpr FontSpec kTitleFont{12, 700};
constexpr FontSpec kFooterFont{10, 400};
constexpr FontSpec kColumnTitleFont{0, 700};
constexpr FontSpec kRowFont{0, 0};
// The size of a list font given in pixels only, at the screen's usual 96 dots per inch.
constexpr double kScreenDpi = 96.0;
constexpr double kDefaultPoints = 10.0;

struct TextExtent {
  int averageWidth;
  int height;
};

TextExtent measure(const QFont& font, QPaintDevice* device) {
  const QFontMetrics metrics(font, device);
  const QString sample = QString::fromLatin1(kWidthSample, kWidthSampleLength);
  return {metrics.horizontalAdvance(sample) / kWidthSampleLength, metrics.height()};
}

// Draws a cell's text within its column, shortened with an ellipsis when it
// is longer: nothing runs on over the next column.
void drawCellText(QPainter& painter, const ListPrintColumnGeometry& column, int top, int height,
                  const QString& text) {
  const int width = column.textRight - column.left;
  if (width <= 0) return;
  const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, width);
  if (shown.isEmpty()) return;
  painter.drawText(QRect(column.left, top, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   shown);
}

}  // namespace

QString pageFooterText(int page, int pageCount) {
  return QString::asprintf("Page %d of %d", page, pageCount);
}

ListPrinter::ListPrinter(ListPrintDescription description) : description_(std::move(description)) {}

ListPrinter::Job ListPrinter::prepare(QPaintDevice& device) const {
  Job job;
  const int dpi = device.logicalDpiY();
  const QFont& list = description_.listFont;
  double listPoints = list.pointSizeF();
  if (listPoints <= 0 && list.pixelSize() > 0) listPoints = list.pixelSize() * 72.0 / kScreenDpi;
  if (listPoints <= 0) listPoints = kDefaultPoints;
  auto make = [&](const FontSpec& style) {
    QFont font = list;
    if (style.weight != 0) font.setWeight(static_cast<QFont::Weight>(style.weight));
    // The character height in device units: points at the device's dots per inch.
    const double points = style.points > 0 ? style.points : listPoints;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))));
    return font;
  };
  job.titleFont = make(kTitleFont);
  job.footerFont = make(kFooterFont);
  job.columnTitleFont = make(kColumnTitleFont);
  job.rowFont = make(kRowFont);

  const TextExtent title = measure(job.titleFont, &device);
  const TextExtent footer = measure(job.footerFont, &device);
  const TextExtent row = measure(job.rowFont, &device);
  ListPrintMetrics metrics;
  metrics.printableWidth = device.width();
  metrics.printableHeight = device.height();
  metrics.titleLineHeight = title.height;
  metrics.footerLineHeight = footer.height;
  metrics.rowLineHeight = row.height;
  const double screen = description_.screenCharWidth > 0 ? description_.screenCharWidth : 1.0;
  metrics.scale = row.averageWidth / screen;

  std::vector<int> widths;
  widths.reserve(description_.columns.size());
  for (const ListPrintColumn& column : description_.columns) widths.push_back(std::max(0, column.width));
  job.layout = layoutListPages(metrics, widths, static_cast<int>(description_.rows.size()));
  return job;
}

int ListPrinter::print(QPrinter& printer) const {
  const Job job = prepare(printer);
  const ListPrintLayout& layout = job.layout;
  if (layout.pageCount == 0) return 0;

  int first = 1;
  int last = layout.pageCount;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::max(1, printer.fromPage());
    last = std::min(layout.pageCount, printer.toPage() > 0 ? printer.toPage() : layout.pageCount);
  }
  if (first > last) return 0;

  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  int printed = 0;
  for (int page = first; page <= last; ++page) {
    if (page != first && !printer.newPage()) break;
    paintPage(painter, job, page);
    ++printed;
  }
  painter.end();
  return printed;
}

void ListPrinter::paintPage(QPainter& painter, const Job& job, int page) const {
  const ListPrintLayout& layout = job.layout;
  const int width = layout.right - layout.left;
  painter.save();
  // Nothing runs into the margins.
  painter.setClipRect(QRect(layout.left, layout.top, width, layout.bottom - layout.top));
  painter.setPen(Qt::black);

  // Header: title left, subtitle right, both on the first title line; the rule below.
  painter.setFont(job.titleFont);
  const QRect titleLine(layout.left, layout.top, width, layout.titleLineHeight);
  painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, description_.title);
  painter.drawText(titleLine, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, description_.subtitle);
  painter.fillRect(QRect(layout.left, layout.headerRuleTop(), width, kPrintRuleHeight), Qt::black);

  // Column titles, then this page's rows, in display order.
  painter.setFont(job.columnTitleFont);
  for (std::size_t c = 0; c < layout.columns.size(); ++c) {
    if (!layout.columns[c].visible) continue;
    drawCellText(painter, layout.columns[c], layout.bodyTop, layout.rowLineHeight, description_.columns[c].title);
  }
  painter.setFont(job.rowFont);
  for (int row = layout.firstRow(page); row < layout.endRow(page); ++row) {
    const QStringList& cells = description_.rows[static_cast<std::size_t>(row)];
    const int top = layout.rowTop(row);
    for (std::size_t c = 0; c < layout.columns.size() && c < static_cast<std::size_t>(cells.size()); ++c) {
      if (!layout.columns[c].visible) continue;
      drawCellText(painter, layout.columns[c], top, layout.rowLineHeight, cells[static_cast<qsizetype>(c)]);
    }
  }

  // Footer: the rule, then the page number right-aligned on the last line.
  painter.fillRect(QRect(layout.left, layout.footerRuleTop(), width, kPrintRuleHeight), Qt::black);
  painter.setFont(job.footerFont);
  painter.drawText(QRect(layout.left, layout.pageNumberTop(), width, layout.footerLineHeight),
                   Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, pageFooterText(page, layout.pageCount));
  painter.restore();
}

}  // namespace larkspur::ui
