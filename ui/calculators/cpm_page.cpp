#include "ui/calculators/cpm_page.h"

#include "calculators/ad_calculator.h"

namespace larkspur::ui {

CpmPage::CpmPage(QWidget* parent)
    : CalculatorPage(calculators::calculatorPages()[static_cast<std::size_t>(calculators::CalculatorPage::Cpm)], parent) {}

void CpmPage::recompute(int index) {
  calculators::CpmFields f{text(0), text(1), text(2)};
  calculators::recomputeCpm(f, static_cast<calculators::CpmField>(index));
  int i = 0;
  for (const std::string* value : {&f.costPerThousand, &f.clickRatio, &f.actualCostPerClick}) setText(i++, *value);
}

}  // namespace larkspur::ui
