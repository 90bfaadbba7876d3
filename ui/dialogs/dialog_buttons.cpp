#include "ui/dialogs/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace larkspur::ui {

QHBoxLayout* buttonRowAtRight(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QPushButton* button : buttons) row->addWidget(button);
  return row;
}

void keepEnterOff(std::initializer_list<QPushButton*> buttons) {
  for (QPushButton* button : buttons) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

}  // namespace larkspur::ui
