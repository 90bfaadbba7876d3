#include "ui/dialogs/stop_and_wait.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

namespace larkspur::ui {

namespace {

constexpr int kStopPollInterval = 20;
constexpr int kStopDialogDelay = 300;

}  // namespace

void stopAndWait(QWidget* parent, const QString& text, const std::function<void()>& stop,
                 const std::function<bool()>& ended) {
  stop();
  if (ended()) return;
  QProgressDialog progress(text, QString(), 0, 0, parent);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMinimumDuration(kStopDialogDelay);
  progress.setValue(0);
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, &ended] {
    if (ended()) loop.quit();
  });
  poll.start(kStopPollInterval);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace larkspur::ui
