#include "ui/dialogs/message_boxes.h"

#include <QAbstractButton>
#include <QIcon>
#include <QStyle>
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

QString MessageBoxes::iconThemeName(MessageBoxRequest::Kind kind) {
  switch (kind) {
    case MessageBoxRequest::Kind::Warning:
      return QStringLiteral("dialog-warning");
    case MessageBoxRequest::Kind::Question:
      return QStringLiteral("dialog-question");
    case MessageBoxRequest::Kind::Plain:
      break;
  }
  return QStringLiteral("dialog-information");
}

QMessageBox::StandardButton MessageBoxes::show(QWidget* parent, const MessageBoxRequest& request) {
  if (responder()) return responder()(request);
  QMessageBox::Icon icon = QMessageBox::Information;
  if (request.kind == MessageBoxRequest::Kind::Warning) icon = QMessageBox::Warning;
  if (request.kind == MessageBoxRequest::Kind::Question) icon = QMessageBox::Question;
  QMessageBox box(icon, request.caption.isEmpty() ? QString(kCaption) : request.caption, request.text,
                  request.buttons, parent);
  const QString themeName = iconThemeName(request.kind);
  if (QIcon::hasThemeIcon(themeName)) {
    const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    box.setIconPixmap(QIcon::fromTheme(themeName).pixmap(QSize(size, size), box.devicePixelRatioF()));
  }
  for (const auto& [button, text] : request.buttonTexts) {
    if (QAbstractButton* shown = box.button(button)) shown->setText(text);
  }
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
