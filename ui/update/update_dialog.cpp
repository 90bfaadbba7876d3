#include "ui/update/update_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/app/app_icon.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/update/update_run.h"

namespace larkspur::ui {

UpdateDialog::UpdateDialog(UpdateRun& run, update::UpdateAgentSetup setup, RestartRequest requestRestart,
                       QWidget* parent)
    : QDialog(parent), run_(run), setup_(std::move(setup)), requestRestart_(std::move(requestRestart)) {
  setObjectName(QStringLiteral("onlineUpdate"));
  setWindowTitle(QStringLiteral("Online update"));
  setWindowIcon(appIcon());

  auto* group = new QGroupBox(this);
  auto* label = new QLabel(QStringLiteral("Progress:"), group);
  progress_ = new QProgressBar(group);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setProperty("controlId", kProgressId);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  auto* groupLayout = new QHBoxLayout(group);
  groupLayout->addWidget(label);
  groupLayout->addWidget(progress_, 1);

  start_ = new QPushButton(QStringLiteral("Start"), this);
  start_->setObjectName(QStringLiteral("start"));
  start_->setProperty("controlId", kStartId);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  keepEnterOff({start_, cancel_});
  connect(start_, &QPushButton::clicked, this, &UpdateDialog::start);
  connect(cancel_, &QPushButton::clicked, this, &UpdateDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttonRowAtRight({start_, cancel_}));
  setMinimumWidth(380);
}

void UpdateDialog::start() {
  // An earlier run that has not ended yet keeps its cancel signal; the
  // command that opens this dialog waits for such a run, so this is only a
  // safeguard.
  if (run_.running()) return;
  start_->setEnabled(false);
  update::updateCancelSignal().reset();

  QPointer<UpdateDialog> self(this);
  QPointer<QWidget> owner(parentWidget());
  // Boxes belong to the dialog while it is open, else to its owner.
  auto boxParent = [self, owner]() -> QWidget* {
    if (self) return self.data();
    return owner.data();
  };
  UpdateRunHandlers handlers;
  handlers.askYesNo = [boxParent](const QString& question) {
    return MessageBoxes::ask(boxParent(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
  };
  handlers.showMessage = [boxParent](const QString& text) { MessageBoxes::inform(boxParent(), text); };
  handlers.requestRestart = [self, requestRestart = requestRestart_](const QString& program) {
    // While the dialog is open the main window closes after it.
    if (self) {
      self->restartProgram_ = program;
    } else if (requestRestart) {
      requestRestart(program);
    }
  };
  handlers.post = [self](const core::Message& message) {
    if (self) self->handleMessage(message);
  };
  run_.start(setup_, std::move(handlers));
}

void UpdateDialog::handleMessage(const core::Message& message) {
  switch (message.id) {
    case core::MessageId::kDownloadProgress:
      progress_->setValue(static_cast<int>(std::clamp<int64_t>(message.param, 0, 100)));
      break;
    case core::MessageId::kDownloadEnd: {
      const QString program = restartProgram_;
      const RestartRequest requestRestart = requestRestart_;
      done(QDialog::Accepted);
      if (!program.isEmpty() && requestRestart) requestRestart(program);
      break;
    }
    default:
      break;
  }
}

void UpdateDialog::reject() {
  update::updateCancelSignal().set();
  QDialog::reject();
}

void UpdateDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace larkspur::ui
