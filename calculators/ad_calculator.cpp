#include "calculators/ad_calculator.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <locale.h>

#include "core/ascii_text.h"

namespace larkspur::calculators {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The "C" locale, so that the decimal point is '.' even when the program
// runs under a locale that writes decimal commas.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Length of the number at the start of `text` (sign, digits, point, exponent),
// or 0 when it holds none.
std::size_t numberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only with at least one digit: "12e" reads as 12.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

// Writes `value` into each result field, or the text that explains why
// there is no number.
CalculatorOutcome writeResults(bool divisionByZero, std::initializer_list<std::pair<std::string*, double>> results) {
  bool finite = true;
  for (const auto& [field, value] : results) finite = finite && std::isfinite(value);
  if (!divisionByZero && finite) {
    for (const auto& [field, value] : results) *field = formatFieldNumber(value);
    return CalculatorOutcome::Computed;
  }
  std::string_view text = divisionByZero ? kDivisionByZeroText : kOutOfRangeText;
  for (const auto& result : results) *result.first = std::string(text);
  return divisionByZero ? CalculatorOutcome::DivisionByZero : CalculatorOutcome::OutOfRange;
}

// Whether a change of the field `changed` recomputes the page: `needs`
// holds, for each input field in page order, the fields that must hold text
// then. A change of a result field (past the input fields) never does.
template <typename Fields, typename Field>
bool changeCounts(const Fields& fields, Field changed,
                  std::initializer_list<std::initializer_list<std::string Fields::*>> needs) {
  const auto index = static_cast<std::size_t>(changed);
  if (index >= needs.size()) return false;
  for (std::string Fields::*needed : needs.begin()[index]) {
    if ((fields.*needed).empty()) return false;
  }
  return true;
}

}  // namespace

double readFieldNumber(std::string_view text) {
  // Blanks before the number are skipped; whatever follows it is ignored.
  text = core::asciiTrimmed(text);
  const std::size_t length = numberLength(text);
  if (length == 0) return 0.0;
  // The prefix is checked above, so strtod sees exactly that number and never
  // one of the forms it accepts beyond it ("inf", "nan", hexadecimal).
  const std::string number(text.substr(0, length));
  if (cLocale() != static_cast<locale_t>(nullptr)) return strtod_l(number.c_str(), nullptr, cLocale());
  double value = 0.0;
  const char* begin = number.c_str() + (number[0] == '+' ? 1 : 0);
  std::from_chars(begin, number.c_str() + number.size(), value);
  return value;
}

std::string formatFieldNumber(double value) {
  // Same digits as printf("%.2f"), without the locale's decimal comma.
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (error != std::errc()) return std::string(kOutOfRangeText);
  return std::string(buffer, end);
}

CalculatorOutcome recomputeRoi(RoiFields& f, RoiField changed) {
  // For a change of the cost per click, the ratio, the profit per sale and
  // the total spend.
  using F = RoiFields;
  const bool ready = changeCounts(f, changed,
                                  {{&F::averageProfitPerSale, &F::conversionRatio, &F::totalSpend},
                                   {&F::totalSpend, &F::costPerClick, &F::averageProfitPerSale},
                                   {&F::totalSpend, &F::costPerClick, &F::averageProfitPerSale},
                                   {&F::conversionRatio, &F::costPerClick, &F::averageProfitPerSale}});
  if (!ready) return CalculatorOutcome::Unchanged;

  const double spend = readFieldNumber(f.totalSpend);
  const double costPerClick = readFieldNumber(f.costPerClick);
  const double ratio = readFieldNumber(f.conversionRatio);
  const double profitPerSale = readFieldNumber(f.averageProfitPerSale);
  const double roi = (profitPerSale * (spend / costPerClick)) * (ratio * 0.01);
  const double profit = roi - spend;
  return writeResults(costPerClick == 0.0, {{&f.roi, roi}, {&f.profit, profit}});
}

CalculatorOutcome recomputeCpc(CpcFields& f, CpcField changed) {
  // For a change of the ratio, the profit and the percentage.
  using F = CpcFields;
  const bool ready = changeCounts(f, changed,
                                  {{&F::averageProfit, &F::percentageToSpend},
                                   {&F::conversionRatio, &F::percentageToSpend},
                                   {&F::conversionRatio, &F::averageProfit}});
  if (!ready) return CalculatorOutcome::Unchanged;

  const double ratio = readFieldNumber(f.conversionRatio);
  const double profit = readFieldNumber(f.averageProfit);
  const double percentage = readFieldNumber(f.percentageToSpend);
  const double maximum = (percentage * 0.01) * (ratio * 0.01) * profit;
  return writeResults(false, {{&f.maximumPpc, maximum}});
}

CalculatorOutcome recomputeCpm(CpmFields& f, CpmField changed) {
  using F = CpmFields;
  const bool ready = changeCounts(f, changed, {{&F::clickRatio}, {&F::costPerThousand}});
  if (!ready) return CalculatorOutcome::Unchanged;

  const double cost = readFieldNumber(f.costPerThousand);
  const double ratio = readFieldNumber(f.clickRatio);
  const double perClick = (cost / ratio) * 0.1;
  return writeResults(ratio == 0.0, {{&f.actualCostPerClick, perClick}});
}

}  // namespace larkspur::calculators
