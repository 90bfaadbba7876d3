#pragma once
// The formulas of the three advertising calculators (return on investment,
// maximum cost per click, cost per click of a campaign bought per thousand
// impressions), kept apart from the window so they can be tested on their own.
//
// A page is recomputed after the text of one of its input fields changed: if
// the fields it depends on are non-empty, every field text is read as a number
// and the result fields are rewritten with two decimals; otherwise nothing is
// changed. Field texts are the window's texts as typed; the functions only
// ever rewrite the result fields.

#include <string>
#include <string_view>

namespace larkspur::calculators {

// Shown in a result field instead of a number when its formula divides by 0.
inline constexpr std::string_view kDivisionByZeroText = "Cannot divide by zero";
// Shown in a result field whose value is too large to be written as a number.
inline constexpr std::string_view kOutOfRangeText = "Number too large";

enum class CalculatorOutcome {
  Unchanged,       // a required field is empty (or a result field changed): nothing rewritten
  Computed,        // the results were rewritten with numbers
  DivisionByZero,  // a divisor read as 0: the results hold kDivisionByZeroText
  OutOfRange,      // a result is too large for a number: the results hold kOutOfRangeText
};

// Reads the leading number of a field text: blanks are skipped, then an
// optional sign, digits with an optional decimal point and an optional
// exponent; reading stops at the first character that does not fit, and text
// without such a number reads as 0. The decimal point is always '.',
// whatever the user's locale. A number beyond the range of a double reads
// as an infinite value.
double readFieldNumber(std::string_view text);

// A result as the fields show it: two decimals ("1.30", "-550.00").
std::string formatFieldNumber(double value);

// The ROI page. Fields in the order of the page.
enum class RoiField { CostPerClick, ConversionRatio, AverageProfitPerSale, TotalSpend, Roi, Profit };
struct RoiFields {
  std::string costPerClick;
  std::string conversionRatio;       // percent
  std::string averageProfitPerSale;
  std::string totalSpend;
  std::string roi;                   // result
  std::string profit;                // result
};
// ROI = (profit per sale × (total spend ÷ cost per click)) × (ratio × 0.01),
// Profit = ROI − total spend, both from the unrounded values.
CalculatorOutcome recomputeRoi(RoiFields& fields, RoiField changed);

// The CPC page.
enum class CpcField { ConversionRatio, AverageProfit, PercentageToSpend, MaximumPpc };
struct CpcFields {
  std::string conversionRatio;    // percent
  std::string averageProfit;
  std::string percentageToSpend;  // percent
  std::string maximumPpc;         // result
};
// Maximum PPC = (percentage × 0.01) × (ratio × 0.01) × average profit.
CalculatorOutcome recomputeCpc(CpcFields& fields, CpcField changed);

// The CPM page.
enum class CpmField { CostPerThousand, ClickRatio, ActualCostPerClick };
struct CpmFields {
  std::string costPerThousand;
  std::string clickRatio;          // percent
  std::string actualCostPerClick;  // result
};
// Actual cost per click = (cost per 1000 impressions ÷ click ratio) × 0.1.
CalculatorOutcome recomputeCpm(CpmFields& fields, CpmField changed);

}  // namespace larkspur::calculators
