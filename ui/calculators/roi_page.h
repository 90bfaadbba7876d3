#pragma once
// The " ROI  " page: return and profit of a pay-per-click campaign from the
// cost per click, the conversion ratio, the average profit per sale and the
// total spend.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

class RoiPage : public CalculatorPage {
  Q_OBJECT

 public:
  explicit RoiPage(QWidget* parent = nullptr);

 protected:
  void recompute(int index) override;
};

}  // namespace larkspur::ui
