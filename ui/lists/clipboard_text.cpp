#include "ui/lists/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>

#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

bool putTextOnClipboard(QWidget* parent, const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    MessageBoxes::warn(parent, QString::fromLatin1(kClipboardOpenError));
    return false;
  }
  clipboard->clear();
  if (!clipboard->text().isEmpty()) {
    MessageBoxes::warn(parent, QString::fromLatin1(kClipboardEmptyError));
    return false;
  }
  clipboard->setText(text);
  if (clipboard->text() != text) {
    MessageBoxes::warn(parent, QString::fromLatin1(kClipboardSetError));
    return false;
  }
  return true;
}

}  // namespace larkspur::ui
