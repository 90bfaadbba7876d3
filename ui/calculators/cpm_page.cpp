#include "ui/calculators/cpm_page.h"

#include "core/ad_calculator.h"

namespace larkspur::ui {

CpmPage::CpmPage(QWidget* parent)
    : CalculatorPage(core::calculatorPages()[static_cast<std::size_t>(core::CalculatorPage::Cpm)], parent) {}

void CpmPage::recompute(int index) {
  core::CpmFields f{text(0), text(1), text(2)};
  core::recomputeCpm(f, static_cast<core::CpmField>(index));
  int i = 0;
  for (const std::string* value : {&f.costPerThousand, &f.clickRatio, &f.actualCostPerClick}) setText(i++, *value);
}

}  // namespace larkspur::ui
