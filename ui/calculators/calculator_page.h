#pragma once
// One page of the calculator window: a row per field (label, edit field,
// unit), a separator line and the help box below it. The help box shows the
// help text of the field that last received the keyboard focus. After every
// change of an input field's text the page recomputes its results; changes
// of result fields (the user may type into them too) recompute nothing.

#include <QString>
#include <QWidget>
#include <vector>

#include "calculators/ad_calculator_pages.h"
#include "ui/calculators/page_formulas.h"

class QLabel;
class QLineEdit;

namespace larkspur::ui {

class CalculatorPage : public QWidget {
  Q_OBJECT

 public:
  // The static control that shows the help texts.
  static constexpr int kHelpBoxId = 1003;

  explicit CalculatorPage(calculators::CalculatorPage page, QWidget* parent = nullptr);

  const calculators::CalculatorPageInfo& info() const { return info_; }
  // The field with this control ID, or nullptr.
  QLineEdit* field(int id) const;
  // Fields in the order of the page description.
  QLineEdit* fieldAt(int index) const { return fields_.at(static_cast<std::size_t>(index)); }
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  QString helpText() const;
  QLabel* helpBox() const { return help_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onTextChanged(int index);

  const calculators::CalculatorPageInfo& info_;
  PageFormulas formulas_;
  std::vector<QLineEdit*> fields_;
  QLabel* help_ = nullptr;
  bool writing_ = false;
};

// The page `Page` as a type of its own (RoiPage, CpcPage, CpmPage).
template <calculators::CalculatorPage Page>
class CalculatorPageOf : public CalculatorPage {
 public:
  explicit CalculatorPageOf(QWidget* parent = nullptr) : CalculatorPage(Page, parent) {}
};

}  // namespace larkspur::ui
