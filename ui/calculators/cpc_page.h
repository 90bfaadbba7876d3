#pragma once
// The " CPC  " page: the most a click is worth paying, from the conversion
// ratio, the average profit and the share of the profit to spend.

#include "ui/calculators/calculator_page.h"

namespace larkspur::ui {

class CpcPage : public CalculatorPage {
  Q_OBJECT

 public:
  explicit CpcPage(QWidget* parent = nullptr);

 protected:
  void recompute(int index) override;
};

}  // namespace larkspur::ui
