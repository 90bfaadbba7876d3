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

class QLabel;
class QLineEdit;

namespace larkspur::ui {

class CalculatorPage : public QWidget {
  Q_OBJECT

 public:
  // The static control that shows the help texts.
  static constexpr int kHelpBoxId = 1003;

  CalculatorPage(const calculators::CalculatorPageInfo& info, QWidget* parent = nullptr);

  const calculators::CalculatorPageInfo& info() const { return info_; }
  // The field with this control ID, or nullptr.
  QLineEdit* field(int id) const;
  // Fields in the order of the page description.
  QLineEdit* fieldAt(int index) const { return fields_.at(static_cast<std::size_t>(index)); }
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  QString helpText() const;
  QLabel* helpBox() const { return help_; }

 protected:
  // Recomputes after the input field at `index` changed.
  virtual void recompute(int index) = 0;
  // Texts of every field, and writing results back.
  std::string text(int index) const;
  void setText(int index, const std::string& text);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onTextChanged(int index);

  const calculators::CalculatorPageInfo& info_;
  std::vector<QLineEdit*> fields_;
  QLabel* help_ = nullptr;
  bool writing_ = false;
};

}  // namespace larkspur::ui
