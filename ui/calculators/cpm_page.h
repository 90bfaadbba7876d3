#pragma once
// The " CPM  " page: what a click really costs in a banner campaign bought
// per thousand impressions, from that price and the click ratio.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

class CpmPage : public CalculatorPage {
  Q_OBJECT

 public:
  explicit CpmPage(QWidget* parent = nullptr);

 protected:
  void recompute(int index) override;
};

}  // namespace larkspur::ui
