#pragma once
// Every message box of the program goes through here. A responder installed
// by a test answers the boxes instead of the user, so nothing blocks; without
// one, a real modal QMessageBox is shown, with the desktop's icon theme's
// image for its kind (the style's own where the theme has none), centred on
// the window of its parent.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <map>

namespace larkspur::ui {

struct MessageBoxRequest {
  enum class Kind { Plain, Warning, Question };
  Kind kind = Kind::Plain;
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  // Own words for some of the buttons ("Open Report" on Open, "Quit" on
  // Close); the answer is still the standard button.
  std::map<QMessageBox::StandardButton, QString> buttonTexts{};
};

class MessageBoxes {
 public:
  using Responder = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;

  // Installs a responder (an empty one restores the real boxes).
  static void setResponder(Responder responder);

  // The icon theme name of a box of this kind: dialog-information,
  // dialog-warning or dialog-question.
  static QString iconThemeName(MessageBoxRequest::Kind kind);

  // Shows the box (or asks the responder) and returns the button chosen.
  static QMessageBox::StandardButton show(QWidget* parent, const MessageBoxRequest& request);

  // A box with an OK button and the program's name as caption.
  static void inform(QWidget* parent, const QString& text);
  static void warn(QWidget* parent, const QString& text);
  // A question with the given buttons; returns the one chosen.
  static QMessageBox::StandardButton ask(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton);
};

}  // namespace larkspur::ui
