#pragma once
// How the dialogs lay out and set up their push buttons.

#include <initializer_list>

class QHBoxLayout;
class QPushButton;

namespace larkspur::ui {

// A row that holds `buttons` at its right end, in this order.
QHBoxLayout* buttonRowAtRight(std::initializer_list<QPushButton*> buttons);

// Enter presses none of `buttons`.
void keepEnterOff(std::initializer_list<QPushButton*> buttons);

}  // namespace larkspur::ui
