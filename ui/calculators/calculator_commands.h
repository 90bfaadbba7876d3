#pragma once
// "ROI Calculator" in the main window: one advertising calculator window at a
// time, brought to the front when it is open already.

#include <QObject>
#include <QPointer>

namespace larkspur::ui {

class AdvertiseCalculatorDialog;
class CommandHost;

class CalculatorCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window.
  explicit CalculatorCommands(CommandHost& host);
  ~CalculatorCommands() override;

  void install();

  void openCalculator();
  AdvertiseCalculatorDialog* calculator() const;
  // Closes the calculator window (when the main window closes).
  void shutDown();

 private:
  CommandHost& host_;
  QPointer<AdvertiseCalculatorDialog> calculator_;
};

}  // namespace larkspur::ui
