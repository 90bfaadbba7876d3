#include "ui/calculators/roi_page.h"

#include "calculators/ad_calculator.h"

namespace larkspur::ui {

RoiPage::RoiPage(QWidget* parent)
    : CalculatorPage(calculators::calculatorPages()[static_cast<std::size_t>(calculators::CalculatorPage::Roi)], parent) {}

void RoiPage::recompute(int index) {
  calculators::RoiFields f{text(0), text(1), text(2), text(3), text(4), text(5)};
  calculators::recomputeRoi(f, static_cast<calculators::RoiField>(index));
  int i = 0;
  for (const std::string* value :
       {&f.costPerClick, &f.conversionRatio, &f.averageProfitPerSale, &f.totalSpend, &f.roi, &f.profit}) {
    setText(i++, *value);
  }
}

}  // namespace larkspur::ui
