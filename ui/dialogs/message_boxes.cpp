#include "ui/dialogs/message_boxes.h"

#include <utility>

namespace larkspur::ui {

namespace {

MessageBoxes::Responder& responder() {
  static MessageBoxes::Responder instance;
  return instance;
}

const char kCaption[] = "Larkspur";

}  // namespace

void MessageBoxes::setResponder(Responder r) { responder() = std::move(r); }

QMessageBox::StandardButton MessageBoxes::show(QWidget* parent, const MessageBoxRequest& request) {
  if (responder()) return responder()(request);
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  if (request.kind == MessageBoxRequest::Kind::Warning) icon = QMessageBox::Warning;
  if (request.kind == MessageBoxRequest::Kind::Question) icon = QMessageBox::Question;
  QMessageBox box(icon, request.caption.isEmpty() ? QString(kCaption) : request.caption, request.text,
                  request.buttons, parent);
  if (request.defaultButton != QMessageBox::NoButton) box.setDefaultButton(request.defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxes::inform(QWidget* parent, const QString& text) {
  show(parent, {MessageBoxRequest::Kind::Plain, kCaption, text, QMessageBox::Ok, QMessageBox::Ok});
}

void MessageBoxes::warn(QWidget* parent, const QString& text) {
  show(parent, {MessageBoxRequest::Kind::Warning, kCaption, text, QMessageBox::Ok, QMessageBox::Ok});
}

QMessageBox::StandardButton MessageBoxes::ask(QWidget* parent, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton) {
  return show(parent, {MessageBoxRequest::Kind::Question, kCaption, text, buttons, defaultButton});
}

}  // namespace larkspur::ui
