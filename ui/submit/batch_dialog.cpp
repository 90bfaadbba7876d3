#include "ui/submit/batch_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/target_health.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/submit/batch_icons.h"
#include "webengine/web_engine_starter.h"

namespace larkspur::ui {

namespace {

const char kStart[] = "START";
const char kOk[] = "OK";
// The number the batch writes into each started record's notify field.
constexpr int32_t kReceiver = 1;
// How often targets that ended within their tick make room for the next.
constexpr int kFreedStartMs = 100;

QLabel* valueLabel(QWidget* parent, int id, const char* name) {
  auto* label = new QLabel(QStringLiteral("0"), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setProperty("controlId", id);
  label->setMinimumWidth(60);
  return label;
}

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

BatchDialog::BatchDialog(const std::vector<core::EngineRecord*>& targets, const submit::SubmissionContext& context,
                         BatchPace pace, QWidget* parent)
    : QDialog(parent), pace_(std::move(pace)), coordination_(*context.coordination), targets_(targets) {
  setWindowTitle(QStringLiteral("Auto Submit"));
  setObjectName(QStringLiteral("autoSubmitDialog"));
  setProperty("controlId", 133);

  submit::SubmissionContext settings = context;
  // Reports are handed to the dialog on its own thread, later; the workers
  // are all over before the dialog goes.
  settings.post = [this](core::Message message) {
    QMetaObject::invokeMethod(
        this, [this, message = std::move(message)] { onMessage(message); }, Qt::QueuedConnection);
  };
  starter_ = std::make_unique<webengine::WebEngineStarter>(settings);

  total_ = valueLabel(this, kIdTotal, "total");
  processed_ = valueLabel(this, kIdProcessed, "processed");
  succeeded_ = valueLabel(this, kIdSucceeded, "succeeded");
  failed_ = valueLabel(this, kIdFailed, "failed");
  timeUsed_ = valueLabel(this, kIdTimeUsed, "timeUsed");
  timeUsed_->setText(QStringLiteral("00:00:00"));
  animation_ = new QLabel(this);
  animation_->setObjectName(QStringLiteral("animation"));
  animation_->setProperty("controlId", kIdAnimation);
  animation_->setFixedSize(32, 32);
  animation_->setPixmap(batchAnimationFrame(submit::Batch::animationIndex()));

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setProperty("controlId", kIdProgress);
  progress_->setFormat(QStringLiteral("%v of %m"));

  // The batch's end, in words.
  end_ = new QLabel(this);
  end_->setObjectName(QStringLiteral("endText"));
  end_->setWordWrap(true);
  end_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  end_->hide();

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("list"));
  list_->setProperty("controlId", kIdList);
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setIconSize(QSize(16, 16));
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("Search Engine"), QStringLiteral("State")});
  list_->header()->setStretchLastSection(false);
  list_->setColumnWidth(0, kNameColumnWidth);
  list_->setColumnWidth(1, kStateColumnWidth);

  start_ = new QPushButton(QString::fromLatin1(kStart), this);
  start_->setObjectName(QStringLiteral("start"));
  start_->setProperty("controlId", kIdStart);
  start_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setProperty("controlId", kIdCancel);
  connect(start_, &QPushButton::clicked, this, &BatchDialog::onStartClicked);
  connect(cancel_, &QPushButton::clicked, this, &BatchDialog::reject);
  includeUnhealthy_ = new QCheckBox(QStringLiteral("Include unhealthy targets"), this);
  includeUnhealthy_->setObjectName(QStringLiteral("includeUnhealthy"));
  includeUnhealthy_->setToolTip(QStringLiteral("Submit also to the targets whose last check found them parked, "
                                               "gone, moved, unreachable or without a form"));
  includeUnhealthy_->hide();  // while no target is left out
  connect(includeUnhealthy_, &QCheckBox::toggled, this, &BatchDialog::makeBatch);

  auto* counters = new QGridLayout;
  counters->addWidget(new QLabel(QStringLiteral("Total :"), this), 0, 0);
  counters->addWidget(total_, 0, 1);
  counters->addWidget(new QLabel(QStringLiteral("Processed:"), this), 0, 2);
  counters->addWidget(processed_, 0, 3);
  counters->addWidget(new QLabel(QStringLiteral("Succesed:"), this), 1, 0);
  counters->addWidget(succeeded_, 1, 1);
  counters->addWidget(new QLabel(QStringLiteral("Error:"), this), 1, 2);
  counters->addWidget(failed_, 1, 3);
  counters->addWidget(new QLabel(QStringLiteral("Time used:"), this), 2, 0);
  counters->addWidget(timeUsed_, 2, 1);
  counters->addWidget(animation_, 0, 4, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
  counters->setColumnStretch(3, 1);
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(new QLabel(QStringLiteral("Progress:"), this));
  progressRow->addWidget(progress_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(counters);
  layout->addLayout(progressRow);
  layout->addWidget(end_);
  layout->addWidget(list_, 1);
  QHBoxLayout* buttons = buttonRowAtRight({start_, cancel_});
  buttons->insertWidget(0, includeUnhealthy_);
  layout->addLayout(buttons);
  resize(426, 355);

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &BatchDialog::onTick);
  freed_ = new QTimer(this);
  connect(freed_, &QTimer::timeout, this, [this] { batch_->startFreed(); });

  makeBatch();
}

BatchDialog::~BatchDialog() {
  timer_->stop();
  freed_->stop();
  // Sessions close here, while the dialog they report to still exists;
  // direct requests still running end in the background and report nothing.
  starter_.reset();
}

QLabel* BatchDialog::label(ControlId id) const {
  switch (id) {
    case kIdTotal:
      return total_;
    case kIdProcessed:
      return processed_;
    case kIdSucceeded:
      return succeeded_;
    case kIdFailed:
      return failed_;
    case kIdTimeUsed:
      return timeUsed_;
    case kIdAnimation:
      return animation_;
    default:
      return nullptr;
  }
}

void BatchDialog::leaveOut(std::vector<core::EngineRecord*> unhealthy) {
  if (batch_->phase() != submit::Batch::Phase::kIdle) return;
  unhealthy_ = std::move(unhealthy);
  includeUnhealthy_->setVisible(!unhealthy_.empty());
  makeBatch();
}

std::vector<core::EngineRecord*> BatchDialog::leftOut() const {
  return includeUnhealthy_->isChecked() ? std::vector<core::EngineRecord*>{} : unhealthy_;
}

void BatchDialog::makeBatch() {
  if (batch_ && batch_->phase() != submit::Batch::Phase::kIdle) return;
  std::vector<core::EngineRecord*> targets = targets_;
  const std::vector<core::EngineRecord*> left = leftOut();
  std::erase_if(targets, [&left](const core::EngineRecord* r) { return std::ranges::find(left, r) != left.end(); });
  batch_ = std::make_unique<submit::Batch>(std::move(targets), coordination_, *starter_, kReceiver,
                                           static_cast<submit::BatchView*>(this));
  total_->setText(QString::number(batch_->total()));
  progress_->setRange(0, static_cast<int>(batch_->total()));
  progress_->setValue(0);
  showLeftOut();
}

void BatchDialog::showLeftOut() {
  list_->clear();
  for (const core::EngineRecord* record : leftOut()) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, text(record->name.str()));
    item->setText(1, text(core::skippedByHealthText(*record)));
    list_->addTopLevelItem(item);
  }
}

int64_t BatchDialog::now() const {
  return pace_.clock ? pace_.clock() : QDateTime::currentSecsSinceEpoch();
}

void BatchDialog::showCounters() {
  processed_->setText(QString::number(batch_->processed()));
  succeeded_->setText(QString::number(batch_->succeeded()));
  failed_->setText(QString::number(batch_->failed()));
  progress_->setValue(batch_->processed());
}

void BatchDialog::onStartClicked() {
  if (start_->text() == QLatin1String(kOk)) {
    accept();
    return;
  }
  showLeftOut();
  includeUnhealthy_->setEnabled(false);
  start_->setEnabled(false);
  batch_->start(now());  // resets the stop signal; an empty list ends at once
  showCounters();
  if (batch_->phase() == submit::Batch::Phase::kRunning) {
    timer_->start(pace_.tickMs);
    freed_->start(std::min(kFreedStartMs, pace_.tickMs));
  }
}

void BatchDialog::onTick() { batch_->tick(now()); }

void BatchDialog::onMessage(const core::Message& message) { batch_->onMessage(message); }

void BatchDialog::rowAdded(std::size_t row) {
  const submit::BatchRow& r = batch_->rows()[row];
  auto* item = new QTreeWidgetItem;
  item->setIcon(0, batchRowIcon(r.icon));
  item->setText(0, text(r.name));
  item->setText(1, text(r.state));
  // Above the targets left out.
  list_->insertTopLevelItem(static_cast<int>(row), item);
}

void BatchDialog::rowChanged(std::size_t row, bool finalReport) {
  const submit::BatchRow& r = batch_->rows()[row];
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row));
  if (!item) return;
  item->setText(1, text(r.state));
  if (finalReport) {
    item->setIcon(0, batchRowIcon(r.icon));
    showCounters();
  }
}

void BatchDialog::elapsedChanged(const std::string& elapsed) { timeUsed_->setText(text(elapsed)); }

void BatchDialog::animationStep(int index) {
  animationFrame_ = index;
  animation_->setPixmap(batchAnimationFrame(index));
  animation_->repaint();
}

void BatchDialog::finished(const std::string& message) {
  (void)message;  // endText() says it with the targets left out
  timer_->stop();
  freed_->stop();
  showCounters();
  // Nothing is left to decide: the dialog says it, and asks for the user's
  // attention when it is not in front.
  end_->setText(endText());
  end_->show();
  if (!isActiveWindow()) QApplication::alert(this);
  start_->setText(QString::fromLatin1(kOk));
  start_->setEnabled(true);
}

QString BatchDialog::endText() const {
  const QString skipped = QStringLiteral("%1 skipped (left out for their last check).").arg(leftOut().size());
  switch (batch_->phase()) {
    case submit::Batch::Phase::kIdle:
      return {};
    case submit::Batch::Phase::kFinished:
      return text(batch_->finishMessage()) + QLatin1Char(' ') + skipped;
    default:
      break;
  }
  return QStringLiteral("Submit canceled after %1 of %2: %3 sucessed, %4 error. ")
             .arg(batch_->processed())
             .arg(batch_->total())
             .arg(batch_->succeeded())
             .arg(batch_->failed()) +
         skipped;
}

void BatchDialog::accept() {
  if (closing_) return;
  closing_ = true;
  timer_->stop();
  freed_->stop();
  QDialog::accept();
}

void BatchDialog::reject() {
  if (closing_) return;
  closing_ = true;
  timer_->stop();
  freed_->stop();
  batch_->cancel();  // sets the stop signal; later reports are ignored
  // Sessions close now rather than at their next stop poll; direct requests
  // cannot be cut short and finish in the background. The window never waits.
  starter_->closeSessions();
  QDialog::reject();
}

}  // namespace larkspur::ui
