#include "ui/lists/state_editor.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "submit/submit_states.h"

namespace larkspur::ui {

namespace {
constexpr int kDroppedRows = 12;
}

StateEditor::StateEditor(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  addItem(QString::fromUtf8(submit::kStateUnsubmitted));
  addItem(QString::fromUtf8(submit::kStateOk));
  addItem(QString::fromUtf8(submit::kStateError));
  setMaxVisibleItems(kDroppedRows);
  hide();
  connect(this, &QComboBox::activated, this, [this](int index) {
    activatedSincePopup_ = true;
    const QString state = itemText(index);
    hide();
    emit chosen(state);
  });
}

void StateEditor::open(const QRect& cell, const QString& current) {
  const int found = findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
  setCurrentIndex(found >= 0 ? found : 0);
  const int height = std::max(sizeHint().height(), cell.height() + 4);
  setGeometry(cell.left(), std::max(0, cell.top() - 2), cell.width(), height);
  show();
  raise();
  setFocus(Qt::MouseFocusReason);
}

void StateEditor::dismiss() {
  if (!isVisible()) return;
  hide();
  emit dismissed();
}

void StateEditor::hidePopup() {
  activatedSincePopup_ = false;
  QComboBox::hidePopup();
  // A choice from the list is reported right after the list closes; when none
  // comes, the drop-down was cancelled.
  QTimer::singleShot(0, this, [this] {
    if (!activatedSincePopup_) dismiss();
  });
}

void StateEditor::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (event->reason() == Qt::PopupFocusReason) return;
  if (view() && view()->isVisible()) return;
  dismiss();
}

void StateEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    dismiss();
    return;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace larkspur::ui
