#pragma once
// The drop-down list that edits a target's submit state in place: the three
// states in a fixed order, no typing. Choosing an entry reports it; cancelling
// the drop-down, Escape or losing the focus hides the editor without a change.

#include <QComboBox>

namespace larkspur::ui {

class StateEditor : public QComboBox {
  Q_OBJECT

 public:
  explicit StateEditor(QWidget* parent);

  // Shows the editor over `cell` (parent coordinates) with the entry equal to
  // `current` selected (the first when none is) and gives it the focus.
  void open(const QRect& cell, const QString& current);
  // Hides the editor without a change.
  void dismiss();

  void hidePopup() override;

 signals:
  void chosen(const QString& state);
  void dismissed();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool activatedSincePopup_ = false;
};

}  // namespace larkspur::ui
