#include "ui/calculators/calculator_commands.h"

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/calculators/advertise_calculator_dialog.h"

namespace larkspur::ui {

CalculatorCommands::CalculatorCommands(CommandHost& host) : QObject(host.widget()), host_(host) {}

CalculatorCommands::~CalculatorCommands() { shutDown(); }

void CalculatorCommands::install() {
  host_.installCommand(kIdRoiCalculator, [this] { openCalculator(); });
}

void CalculatorCommands::shutDown() {
  if (calculator_) delete calculator_.data();
}

AdvertiseCalculatorDialog* CalculatorCommands::calculator() const { return calculator_.data(); }

void CalculatorCommands::openCalculator() {
  if (calculator_) {
    calculator_->showNormal();
    calculator_->raise();
    calculator_->activateWindow();
    return;
  }
  // A window of its own, opened centred on the main window; closing it
  // destroys it, so the next one starts with empty fields.
  calculator_ = new AdvertiseCalculatorDialog(host_.widget());
  calculator_->show();
}

}  // namespace larkspur::ui
