#pragma once
// The batch dialog "Auto Submit": START submits the Website profile to the
// targets it was opened with, one more each tick while fewer than five
// workers of the program run, automatic targets on hidden Qt WebEngine pages
// and direct-request targets on worker threads. It lists every started target
// with its latest message and an icon (running, succeeded, failed), counts
// the reports, shows the elapsed time, the progress ("3 of 12") and an
// animation, and says at the end, in the dialog, how many targets succeeded,
// failed and were skipped, after which START reads OK. Targets
// whose last check keeps the profile from them may be left out: they are
// listed below the others with why, and "Include unhealthy targets" puts
// them back until START. Cancel sets
// the stop signal, closes the sessions still running and closes at once;
// direct requests, which cannot be cut short, finish in the background and
// write nothing into the records once the dialog has gone.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/engine_record.h"
#include "core/messages.h"
#include "submit/batch.h"
#include "submit/submission_context.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace larkspur::webengine {
class WebEngineStarter;
}

namespace larkspur::ui {

// The dialog's tick.
inline constexpr int kAutoSubmitTickMs = 1000;

// How the dialog paces the batch.
struct BatchPace {
  int tickMs = kAutoSubmitTickMs;
  // Seconds since the epoch; the system clock when empty.
  std::function<int64_t()> clock;
};

class BatchDialog : public QDialog, private submit::BatchView {
  Q_OBJECT

 public:
  // Control ids of dialog 133.
  enum ControlId {
    kIdTotal = 1012,
    kIdProcessed = 1013,
    kIdSucceeded = 1015,
    kIdFailed = 1016,
    kIdTimeUsed = 1014,
    kIdProgress = 1009,
    kIdList = 1017,
    kIdAnimation = 1021,
    kIdStart = 1011,
    kIdCancel = 2,
  };
  static constexpr int kNameColumnWidth = 100;
  static constexpr int kStateColumnWidth = 280;

  // The context needs a coordination; its post is replaced by the dialog's.
  BatchDialog(const std::vector<core::EngineRecord*>& targets, const submit::SubmissionContext& context,
              BatchPace pace = {}, QWidget* parent = nullptr);
  ~BatchDialog() override;

  // Leaves `unhealthy`, some of the targets the dialog was opened with, out
  // of the batch unless the user includes them. Before START only.
  void leaveOut(std::vector<core::EngineRecord*> unhealthy);

  const submit::Batch& batch() const { return *batch_; }
  webengine::WebEngineStarter& starter() const { return *starter_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* cancelButton() const { return cancel_; }
  QTreeWidget* list() const { return list_; }
  QCheckBox* includeUnhealthyBox() const { return includeUnhealthy_; }
  QLabel* label(ControlId id) const;
  QProgressBar* progressBar() const { return progress_; }
  // How the batch ended, as the dialog says it: "Submit finished, 2 sucessed,
  // 1 error. 0 skipped (left out for their last check)."; after Cancel
  // "Submit canceled after 3 of 12: ..."; empty before START.
  QString endText() const;
  QLabel* endLabel() const { return end_; }
  // The animation frame shown last, -1 before the first tick.
  int animationFrame() const { return animationFrame_; }

  // A posted report, on the GUI thread.
  void onMessage(const core::Message& message);

 public slots:
  void accept() override;
  void reject() override;

 private:
  // The batch over the targets it is to run: those opened with, less the
  // unhealthy ones unless they are included.
  void makeBatch();
  std::vector<core::EngineRecord*> leftOut() const;
  // Lists the targets left out, with why, below the batch's rows.
  void showLeftOut();
  void onStartClicked();
  void onTick();
  int64_t now() const;
  void showCounters();

  // The batch's view.
  void rowAdded(std::size_t row) override;
  void rowChanged(std::size_t row, bool finalReport) override;
  void elapsedChanged(const std::string& text) override;
  void animationStep(int index) override;
  void finished(const std::string& message) override;

  BatchPace pace_;
  core::Coordination& coordination_;
  std::vector<core::EngineRecord*> targets_;
  std::vector<core::EngineRecord*> unhealthy_;
  std::unique_ptr<webengine::WebEngineStarter> starter_;
  std::unique_ptr<submit::Batch> batch_;
  QLabel* total_ = nullptr;
  QLabel* processed_ = nullptr;
  QLabel* succeeded_ = nullptr;
  QLabel* failed_ = nullptr;
  QLabel* timeUsed_ = nullptr;
  QLabel* animation_ = nullptr;
  QLabel* end_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QCheckBox* includeUnhealthy_ = nullptr;
  QTimer* timer_ = nullptr;
  QTimer* freed_ = nullptr;  // starts in place of targets that ended within their tick
  int animationFrame_ = -1;
  bool closing_ = false;
};

}  // namespace larkspur::ui
