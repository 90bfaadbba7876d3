#include "ui/calculators/roi_page.h"

#include "core/ad_calculator.h"

namespace larkspur::ui {

RoiPage::RoiPage(QWidget* parent)
    : CalculatorPage(core::calculatorPages()[static_cast<std::size_t>(core::CalculatorPage::Roi)], parent) {}

void RoiPage::recompute(int index) {
  core::RoiFields f{text(0), text(1), text(2), text(3), text(4), text(5)};
  core::recomputeRoi(f, static_cast<core::RoiField>(index));
  int i = 0;
  for (const std::string* value :
       {&f.costPerClick, &f.conversionRatio, &f.averageProfitPerSale, &f.totalSpend, &f.roi, &f.profit}) {
    setText(i++, *value);
  }
}

}  // namespace larkspur::ui
