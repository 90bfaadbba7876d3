#include "ui/announce/announce_window.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <span>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/visible_text.h"
#include "ui/app/app_icon.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/dialogs/stop_and_wait.h"
#include "ui/lists/clipboard_text.h"
#include "ui/project/file_dialogs.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

namespace {

QString text(const std::string& s) { return QString::fromStdString(core::visibleText(s)); }

// A conclusion of the library ("ready: ...") as the first words of a line.
QString sentence(const std::string& s) {
  QString line = text(s);
  if (!line.isEmpty()) line[0] = line[0].toUpper();
  return line;
}

std::string websiteOf(ProjectDocument& doc) { return std::string(core::fieldView(doc.project().profile.url)); }

// The failed checks the top of the window lists; the rest are in the list.
constexpr int kShownProblems = 5;

bool isFailure(const QTreeWidgetItem* item) {
  const char* error = announce::levelWord(announce::CheckLine::Level::Error);
  return item->data(0, Qt::UserRole).toString() == QLatin1String(error);
}

}  // namespace

AnnounceWindow::AnnounceWindow(ProjectDocument& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
  setObjectName(QStringLiteral("announceWindow"));
  setWindowTitle(QStringLiteral("Announce to IndexNow"));
  setWindowIcon(appIcon());
  setModal(false);

  website_ = new QLabel(this);
  website_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  // The failed checks, at the top where they are seen first; plain text, as
  // they quote what the website answered.
  problems_ = new QLabel(this);
  problems_->setObjectName(QStringLiteral("problems"));
  problems_->setTextFormat(Qt::PlainText);
  problems_->setWordWrap(true);
  problems_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  problems_->setFrameShape(QFrame::StyledPanel);
  problems_->setMargin(6);
  QPalette warning = problems_->palette();
  warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
  problems_->setPalette(warning);
  problems_->hide();

  // The key file: read-only fields, so both texts can be selected and copied.
  auto* keyGroup = new QGroupBox(QStringLiteral("Key file to publish on the website"), this);
  keyUrl_ = new QLineEdit(keyGroup);
  keyUrl_->setObjectName(QStringLiteral("keyFileUrl"));
  keyContent_ = new QLineEdit(keyGroup);
  keyContent_->setObjectName(QStringLiteral("keyFileContent"));
  for (QLineEdit* field : {keyUrl_, keyContent_}) {
    field->setReadOnly(true);
    // Copied, the key is on its way to the website (selected by the focus,
    // it is not).
    field->installEventFilter(this);
  }
  copyKey_ = new QPushButton(QStringLiteral("Copy key"), keyGroup);
  copyUrl_ = new QPushButton(QStringLiteral("Copy URL"), keyGroup);
  saveKey_ = new QPushButton(QStringLiteral("Save key file..."), keyGroup);
  saveKey_->setToolTip(QStringLiteral("Write the key file, to be put on the website at the address above"));
  keepEnterOff({copyKey_, copyUrl_, saveKey_});
  connect(copyKey_, &QPushButton::clicked, this, [this] {
    putTextOnClipboard(this, keyContent_->text());
    keepMadeKey();
  });
  connect(copyUrl_, &QPushButton::clicked, this, [this] {
    putTextOnClipboard(this, keyUrl_->text());
    keepMadeKey();
  });
  connect(saveKey_, &QPushButton::clicked, this, &AnnounceWindow::saveKeyFile);
  auto* keyButtons = new QHBoxLayout;
  keyButtons->addWidget(copyKey_);
  keyButtons->addWidget(copyUrl_);
  keyButtons->addWidget(saveKey_);
  keyButtons->addStretch(1);
  auto* keyLayout = new QFormLayout(keyGroup);
  keyLayout->addRow(QStringLiteral("Publish at:"), keyUrl_);
  keyLayout->addRow(QStringLiteral("Holding:"), keyContent_);
  keyLayout->addRow(keyButtons);

  auto* choiceGroup = new QGroupBox(QStringLiteral("What to announce"), this);
  all_ = new QRadioButton(QStringLiteral("All URLs of the sitemaps"), choiceGroup);
  changedOnly_ = new QRadioButton(QStringLiteral("Only URLs new or changed since the last announcement"), choiceGroup);
  all_->setChecked(true);
  endpoint_ = new QComboBox(choiceGroup);
  endpoint_->setObjectName(QStringLiteral("endpoint"));
  endpoint_->setEditable(true);
  endpoint_->setInsertPolicy(QComboBox::NoInsert);
  for (const announce::Endpoint& e : announce::knownEndpoints()) {
    endpoint_->addItem(QString::fromStdString(e.name));
    endpoint_->setItemData(endpoint_->count() - 1, QString::fromStdString(e.url), Qt::ToolTipRole);
  }
  endpoint_->setToolTip(QStringLiteral("The shared IndexNow endpoint reaches every participating engine; "
                                       "an engine's own endpoint or an https URL may be chosen instead."));
  auto* choiceLayout = new QFormLayout(choiceGroup);
  choiceLayout->addRow(all_);
  choiceLayout->addRow(changedOnly_);
  choiceLayout->addRow(QStringLiteral("Endpoint:"), endpoint_);

  auto* checkGroup = new QGroupBox(QStringLiteral("Readiness check"), this);
  checks_ = new QTreeWidget(checkGroup);
  checks_->setObjectName(QStringLiteral("checks"));
  checks_->setHeaderHidden(true);
  checks_->setRootIsDecorated(false);
  checks_->setColumnCount(1);
  checks_->setMinimumHeight(120);
  // Each line in full: wrapped, never cut short.
  checks_->setWordWrap(true);
  checks_->setTextElideMode(Qt::ElideNone);
  checks_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  urlCount_ = new QLabel(checkGroup);
  urlCount_->setObjectName(QStringLiteral("urlCount"));
  auto* checkLayout = new QVBoxLayout(checkGroup);
  checkLayout->addWidget(checks_);
  checkLayout->addWidget(urlCount_);

  auto* answerGroup = new QGroupBox(QStringLiteral("Answers"), this);
  progress_ = new QProgressBar(answerGroup);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat(QStringLiteral("%v of %m URLs sent"));
  progress_->setTextVisible(false);
  answers_ = new QTreeWidget(answerGroup);
  answers_->setObjectName(QStringLiteral("answers"));
  answers_->setRootIsDecorated(false);
  answers_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Endpoint"), QStringLiteral("URLs"),
                             QStringLiteral("Code"), QStringLiteral("Answer")});
  for (int column = 0; column < 4; ++column) answers_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  answers_->header()->setStretchLastSection(true);
  answers_->setMinimumHeight(100);
  status_ = new QLabel(answerGroup);
  status_->setObjectName(QStringLiteral("status"));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* answerLayout = new QVBoxLayout(answerGroup);
  answerLayout->addWidget(progress_);
  answerLayout->addWidget(answers_);
  answerLayout->addWidget(status_);

  check_ = new QPushButton(QStringLiteral("Check"), this);
  check_->setToolTip(QStringLiteral("Check what engines will see, without announcing"));
  announce_ = new QPushButton(QStringLiteral("Announce"), this);
  stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
  close_ = new QPushButton(QStringLiteral("Close"), this);
  keepEnterOff({check_, announce_, stopButton_, close_});
  connect(check_, &QPushButton::clicked, this, [this] { start(true); });
  connect(announce_, &QPushButton::clicked, this, [this] { start(false); });
  connect(stopButton_, &QPushButton::clicked, this, &AnnounceWindow::stop);
  connect(close_, &QPushButton::clicked, this, &AnnounceWindow::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(check_);
  buttons->addWidget(announce_);
  buttons->addWidget(stopButton_);
  buttons->addStretch(1);
  buttons->addWidget(close_);

  // On a short screen the window's content scrolls, its buttons stay in
  // sight, and nothing is drawn over anything else.
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(website_);
  layout->addWidget(problems_);
  layout->addWidget(keyGroup);
  layout->addWidget(choiceGroup);
  layout->addWidget(checkGroup, 1);
  layout->addWidget(answerGroup, 1);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(scroll, 1);
  outer->addLayout(buttons);
  resize(640, 620);

  // The records are about to go: the run must not record into the next project.
  connect(&doc_, &ProjectDocument::aboutToReplaceProject, this, [this] {
    stopAndWait(false);
    keyMade_ = false;  // it went with its project
    QDialog::reject();
  });
  refresh();
}

AnnounceWindow::~AnnounceWindow() {
  gate_.close();
  stopSignal_.set();
  // worker_ joins the run when it goes, before stopSignal_ does.
}

QString AnnounceWindow::websiteProblem(ProjectDocument& doc) {
  const std::string problem = announce::websiteProblem(websiteOf(doc));
  if (problem.empty()) return {};
  return QStringLiteral("Nothing can be announced: %1. Enter the website's address, such as "
                        "https://www.example.com/, with Project > Edit website info.")
      .arg(text(problem));
}

void AnnounceWindow::refresh() {
  if (running_) return;
  const std::string website = websiteOf(doc_);
  website_->setText(QStringLiteral("Website: %1").arg(text(website)));
  core::AnnounceState& state = doc_.project().announce;
  const std::string host = announce::websiteHost(website);
  keyUrl_->clear();
  keyContent_->clear();
  status_->clear();
  if (host.empty()) {
    status_->setText(websiteProblem(doc_));
  } else {
    if (announce::ensureKey(state, host)) keyMade_ = true;
    if (!state.key.empty()) {
      announce::AnnounceOptions options;
      options.website = website;
      keyUrl_->setText(text(announce::keyFileUrl(options, state.key)));
      keyContent_->setText(text(state.key));
    }
  }
  checks_->clear();
  showProblems();
  urlCount_->setText(QStringLiteral("URLs found: not checked yet"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  answers_->clear();
  for (const core::AnnounceLogEntry& entry : state.log) addAnswer(entry);
  updateButtons();
}

void AnnounceWindow::start(bool checkOnly) {
  if (running_) return;
  if (const QString problem = websiteProblem(doc_); !problem.isEmpty()) {
    MessageBoxes::warn(this, problem);
    return;
  }
  announce::AnnounceOptions options;
  options.website = websiteOf(doc_);
  options.checkOnly = checkOnly;
  options.changedOnly = changedOnly_->isChecked();
  options.endpoint = endpoint_->currentText().trimmed().toStdString();
  std::string endpointError;
  if (!announce::resolveEndpoint(options.endpoint, endpointError)) {
    MessageBoxes::warn(this, QStringLiteral("The endpoint cannot be used: %1.").arg(text(endpointError)));
    return;
  }
  // The key shown is the one the run checks (the website may have changed).
  refresh();
  keepMadeKey();
  progress_->setRange(0, 0);  // busy until the requests begin
  status_->setText(checkOnly ? QStringLiteral("Checking...") : QStringLiteral("Checking, then announcing..."));

  // The run works on a copy: the project stays the GUI thread's, and a save
  // meanwhile writes a consistent state.
  auto state = std::make_shared<core::AnnounceState>(doc_.project().announce);
  stopSignal_.reset();
  gate_ = GuiCallGate();
  const GuiCallGate gate = gate_;
  announce::RunHooks hooks;
  hooks.stop = &stopSignal_;
  hooks.progress = [this, gate](const std::string& line) {
    gate.post([this, shown = text(line)] { status_->setText(shown); });
  };
  hooks.checked = [this, gate](const announce::CheckLine& line) {
    gate.post([this, line] { addCheck(line); });
  };
  hooks.requests = [this, gate](std::size_t sent, std::size_t total, const core::AnnounceLogEntry* answer) {
    std::optional<core::AnnounceLogEntry> entry;
    if (answer) entry = *answer;
    gate.post([this, sent, total, entry] {
      if (entry) addAnswer(*entry);
      showRequests(sent, total);
    });
  };
  running_ = true;
  updateButtons();
  const bool started = worker_.start([this, gate, state, options, hooks](const core::Event&) {
    const announce::AnnounceResult result = announce::runAnnouncement(*state, options, hooks);
    gate.post([this, state, result] { finish(*state, result); });
  });
  if (!started) {
    running_ = false;
    progress_->setRange(0, 1);
    status_->clear();
    updateButtons();
    MessageBoxes::warn(this, QStringLiteral("The announcement could not start: no thread could be made."));
  }
}

bool AnnounceWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QLineEdit*>(watched);
  if (field != keyUrl_ && field != keyContent_) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    if (field->hasSelectedText()) keepMadeKey();
  } else if (event->type() == QEvent::ContextMenu) {
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    for (QAction* action : menu->actions()) {
      if (action->objectName() == QLatin1String("edit-copy")) {
        connect(action, &QAction::triggered, this, &AnnounceWindow::keepMadeKey);
      }
    }
    menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void AnnounceWindow::keepMadeKey() {
  if (!keyMade_) return;
  keyMade_ = false;
  doc_.setModified(true);
}

void AnnounceWindow::stop() {
  if (running_) stopSignal_.set();
}

void AnnounceWindow::stopAndWait(bool record) {
  if (!running_) return;
  // A request in hand ends within a second.
  ui::stopAndWait(
      this, QStringLiteral("Stopping the announcement..."),
      [this, record] {
        if (!record) gate_.close();
        stopSignal_.set();
      },
      [this, record] { return record ? !running_ : worker_.running() == 0; });
  worker_.reap();
  if (running_) {  // dropped: the result never came
    running_ = false;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setText(QStringLiteral("Stopped"));
    updateButtons();
  }
}

void AnnounceWindow::reject() {
  stop();
  QDialog::reject();
}

void AnnounceWindow::addCheck(const announce::CheckLine& line) {
  auto* item = new QTreeWidgetItem(checks_, {text(line.text)});
  QStyle::StandardPixmap image = QStyle::SP_DialogApplyButton;
  if (line.level == announce::CheckLine::Level::Warning) image = QStyle::SP_MessageBoxWarning;
  if (line.level == announce::CheckLine::Level::Error) image = QStyle::SP_MessageBoxCritical;
  item->setIcon(0, style()->standardIcon(image));
  item->setData(0, Qt::UserRole, QString::fromLatin1(announce::levelWord(line.level)));
  item->setToolTip(0, item->text(0));
  if (line.level == announce::CheckLine::Level::Error) showProblems();
}

void AnnounceWindow::showProblems() {
  QStringList lines;
  int failures = 0;
  QTreeWidgetItem* first = nullptr;
  for (int i = 0; i < checks_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = checks_->topLevelItem(i);
    if (!isFailure(item)) continue;
    if (!first) first = item;
    if (++failures > kShownProblems) continue;
    QString line = item->text(0);
    if (!line.isEmpty()) line[0] = line[0].toUpper();
    // The key file's line says what it must hold; the window can write it.
    const QString keyUrl = keyUrl_->text();
    if (!keyUrl.isEmpty() && line.contains(keyUrl)) {
      line += QStringLiteral(". \"Save key file...\" above writes that file for you to put there");
    }
    lines << QStringLiteral("\u2022 ") + line + QLatin1Char('.');
  }
  if (failures > kShownProblems) {
    lines << QStringLiteral("%1 more in the readiness check below.").arg(failures - kShownProblems);
  }
  if (lines.isEmpty()) {
    problems_->clear();
    problems_->hide();
    return;
  }
  lines.prepend(failures == 1
                    ? QStringLiteral("Not ready: this check failed, and nothing is announced until it passes.")
                    : QStringLiteral("Not ready: these checks failed, and nothing is announced until they pass."));
  problems_->setText(lines.join(QLatin1Char('\n')));
  problems_->show();
  // The first failure stays in sight in the list too.
  checks_->scrollToItem(first, QAbstractItemView::PositionAtTop);
}

bool AnnounceWindow::saveKeyFile() {
  const std::string key = doc_.project().announce.key;
  if (key.empty()) return false;
  const QString name = QString::fromStdString(key) + QStringLiteral(".txt");
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Save;
  request.caption = QStringLiteral("Save key file");
  request.filter = QStringLiteral("Text file (*.txt)");
  request.defaultSuffix = QStringLiteral("txt");
  request.proposedPath = inStartFolder(doc_.project().path(), name);
  const QString path = FileDialogs::run(this, request);
  if (path.isEmpty()) return false;
  const core::Status written = core::writeFileAtomically(
      path.toStdString(), std::span(reinterpret_cast<const uint8_t*>(key.data()), key.size()));
  if (!written.ok()) {
    MessageBoxes::warn(this, QString::fromStdString(written.message));
    return false;
  }
  keepMadeKey();
  status_->setText(QStringLiteral("The key file is saved as %1: put it on the website at %2.")
                       .arg(QDir::toNativeSeparators(path), keyUrl_->text()));
  return true;
}

void AnnounceWindow::addAnswer(const core::AnnounceLogEntry& entry) {
  auto* item = new QTreeWidgetItem(answers_, {text(entry.time), text(entry.endpoint), QString::number(entry.urlCount),
                                              entry.code ? QString::number(entry.code) : QStringLiteral("-"),
                                              text(entry.answer)});
  item->setToolTip(4, item->text(4));
  answers_->scrollToItem(item);
}

void AnnounceWindow::showRequests(std::size_t sent, std::size_t total) {
  constexpr std::size_t kLargest = std::numeric_limits<int>::max();
  progress_->setRange(0, static_cast<int>(std::clamp<std::size_t>(total, 1, kLargest)));
  progress_->setValue(static_cast<int>(std::min(sent, kLargest)));
  progress_->setTextVisible(true);
}

void AnnounceWindow::finish(const core::AnnounceState& state, const announce::AnnounceResult& result) {
  running_ = false;
  worker_.reap();
  if (result.stateChanged) {
    doc_.project().announce = state;
    doc_.setModified(true);
  }
  const bool good = result.outcome == announce::Outcome::Ready || result.outcome == announce::Outcome::Announced;
  if (progress_->maximum() == 0) {  // no request was made
    progress_->setRange(0, 1);
    progress_->setValue(good ? 1 : 0);
  }
  if (result.outcome != announce::Outcome::Failed || result.urlsFound > 0) {
    urlCount_->setText(QStringLiteral("URLs found: %1").arg(result.urlsFound));
  }
  status_->setText(sentence(result.message));
  showProblems();
  if (problems_->isHidden()) checks_->scrollToTop();
  updateButtons();
  emit finished(static_cast<int>(result.outcome));
}

void AnnounceWindow::updateButtons() {
  check_->setEnabled(!running_);
  announce_->setEnabled(!running_);
  stopButton_->setEnabled(running_);
  endpoint_->setEnabled(!running_);
  const bool hasKey = !keyContent_->text().isEmpty();
  for (QPushButton* button : {copyKey_, copyUrl_, saveKey_}) button->setEnabled(hasKey);
  all_->setEnabled(!running_);
  changedOnly_->setEnabled(!running_);
}

}  // namespace larkspur::ui
