#include "ui/calculators/cpc_page.h"

#include "calculators/ad_calculator.h"

namespace larkspur::ui {

CpcPage::CpcPage(QWidget* parent)
    : CalculatorPage(calculators::calculatorPages()[static_cast<std::size_t>(calculators::CalculatorPage::Cpc)], parent) {}

void CpcPage::recompute(int index) {
  calculators::CpcFields f{text(0), text(1), text(2), text(3)};
  calculators::recomputeCpc(f, static_cast<calculators::CpcField>(index));
  int i = 0;
  for (const std::string* value : {&f.conversionRatio, &f.averageProfit, &f.percentageToSpend, &f.maximumPpc}) {
    setText(i++, *value);
  }
}

}  // namespace larkspur::ui
