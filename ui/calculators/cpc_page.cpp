#include "ui/calculators/cpc_page.h"

#include "core/ad_calculator.h"

namespace larkspur::ui {

CpcPage::CpcPage(QWidget* parent)
    : CalculatorPage(core::calculatorPages()[static_cast<std::size_t>(core::CalculatorPage::Cpc)], parent) {}

void CpcPage::recompute(int index) {
  core::CpcFields f{text(0), text(1), text(2), text(3)};
  core::recomputeCpc(f, static_cast<core::CpcField>(index));
  int i = 0;
  for (const std::string* value : {&f.conversionRatio, &f.averageProfit, &f.percentageToSpend, &f.maximumPpc}) {
    setText(i++, *value);
  }
}

}  // namespace larkspur::ui
