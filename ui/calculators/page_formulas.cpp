#include "ui/calculators/page_formulas.h"

#include <array>
#include <cstddef>

#include "calculators/ad_calculator.h"

namespace larkspur::ui {

namespace {

// The formulas over a record of field texts such as calculators::CpcFields;
// `members` are the record's texts in page order.
template <typename Fields, typename Field, std::size_t N>
PageFormulas formulasOver(calculators::CalculatorOutcome (*recompute)(Fields&, Field),
                          std::array<std::string Fields::*, N> members) {
  return [recompute, members](std::vector<std::string>& texts, int changed) {
    Fields fields;
    for (std::size_t i = 0; i < N; ++i) fields.*members[i] = texts[i];
    recompute(fields, static_cast<Field>(changed));
    for (std::size_t i = 0; i < N; ++i) texts[i] = fields.*members[i];
  };
}

using calculators::CpcFields;
using calculators::CpmFields;
using calculators::RoiFields;

}  // namespace

PageFormulas pageFormulas(calculators::CalculatorPage page) {
  switch (page) {
    case calculators::CalculatorPage::Roi:
      return formulasOver(&calculators::recomputeRoi,
                          std::array{&RoiFields::costPerClick, &RoiFields::conversionRatio,
                                     &RoiFields::averageProfitPerSale, &RoiFields::totalSpend, &RoiFields::roi,
                                     &RoiFields::profit});
    case calculators::CalculatorPage::Cpc:
      return formulasOver(&calculators::recomputeCpc,
                          std::array{&CpcFields::conversionRatio, &CpcFields::averageProfit,
                                     &CpcFields::percentageToSpend, &CpcFields::maximumPpc});
    case calculators::CalculatorPage::Cpm:
      return formulasOver(&calculators::recomputeCpm, std::array{&CpmFields::costPerThousand, &CpmFields::clickRatio,
                                                                 &CpmFields::actualCostPerClick});
  }
  return [](std::vector<std::string>&, int) {};
}

}  // namespace larkspur::ui
