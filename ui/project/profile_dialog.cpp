#include "ui/project/profile_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>
#include <string>
#include <vector>

#include "core/builtin_lists.h"
#include "core/fixed_text.h"
#include "core/web_address.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

namespace {

// Positions of the dialog's controls in tab order.
constexpr int kUrl = 0;
constexpr int kCountry = 10;
constexpr int kCategory = 11;
constexpr int kCategoryAddon = 12;
constexpr int kPassword = 6;
constexpr int kShortDescription = 15;
constexpr int kLongDescription = 16;
constexpr int kOk = 17;
constexpr int kCancel = 18;
// "Business" in the category list.
constexpr int kDefaultCategory = 2;

QString fieldText(const core::ProfileField& field, const core::WebsiteProfile& profile) {
  const std::string_view text = core::fieldView(field.in(profile), field.capacity);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void fillList(QComboBox* list, std::span<const char* const> entries) {
  for (const char* entry : entries) list->addItem(QString::fromUtf8(entry));
}

bool isEnterOrEscape(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

ProfileDialog::ProfileDialog(core::WebsiteProfile& profile, Mode mode, QWidget* parent)
    : QDialog(parent), profile_(profile) {
  setWindowTitle(QStringLiteral("Input your website detail"));
  auto* grid = new QGridLayout;
  const std::span<const core::ProfileField> fields = core::profileFields();

  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    const core::ProfileField& field = fields[static_cast<std::size_t>(i)];
    QWidget* control = nullptr;
    if (i == kCountry || i == kCategory || i == kCategoryAddon) {
      auto* list = new QComboBox(this);
      list->setEditable(false);
      list->setMaxVisibleItems(12);
      control = list;
    } else if (i == kLongDescription) {
      longDescription_ = new QPlainTextEdit(this);
      longDescription_->setTabChangesFocus(true);
      if (mode == Mode::Prefilled) longDescription_->setPlainText(fieldText(field, profile));
      control = longDescription_;
    } else {
      auto* edit = new QLineEdit(this);
      if (i == kPassword) edit->setEchoMode(QLineEdit::Password);
      if (mode == Mode::Prefilled) edit->setText(fieldText(field, profile));
      if (i == kShortDescription) shortDescription_ = edit;
      control = edit;
    }
    controls_[static_cast<std::size_t>(i)] = control;
    auto* label = new QLabel(QString::fromUtf8(field.label), this);
    label->setBuddy(control);
    grid->addWidget(label, i, 0, i == kLongDescription || i == kUrl ? Qt::AlignTop | Qt::AlignLeft : Qt::AlignLeft);
    if (i == kUrl) {
      // The URL's problem shows right under it while there is one.
      urlProblem_ = new QLabel(this);
      urlProblem_->setObjectName(QStringLiteral("websiteUrlProblem"));
      QPalette palette = urlProblem_->palette();
      palette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
      urlProblem_->setPalette(palette);
      // Its line stays when it is hidden: the fields below do not jump as
      // the address becomes complete.
      QSizePolicy policy = urlProblem_->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      urlProblem_->setSizePolicy(policy);
      auto* urlBox = new QVBoxLayout;
      urlBox->setSpacing(2);
      urlBox->addWidget(control);
      urlBox->addWidget(urlProblem_);
      grid->addLayout(urlBox, i, 1);
    } else {
      grid->addWidget(control, i, 1);
    }
  }
  grid->setRowStretch(kLongDescription, 1);
  grid->setColumnStretch(1, 1);

  url_ = static_cast<QLineEdit*>(controls_[kUrl]);
  if (url_->text().isEmpty()) url_->setText(QStringLiteral("http://"));

  country_ = static_cast<QComboBox*>(controls_[kCountry]);
  category_ = static_cast<QComboBox*>(controls_[kCategory]);
  categoryAddon_ = static_cast<QComboBox*>(controls_[kCategoryAddon]);
  fillList(country_, core::countryList());
  fillList(category_, core::categoryList());
  fillList(categoryAddon_, core::categoryAddonList());
  country_->setCurrentIndex(selectionFor(*country_, fieldText(fields[kCountry], profile), country_->count() - 1));
  category_->setCurrentIndex(selectionFor(*category_, fieldText(fields[kCategory], profile), kDefaultCategory));
  categoryAddon_->setCurrentIndex(selectionFor(*categoryAddon_, fieldText(fields[kCategoryAddon], profile), -1));

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  controls_[kOk] = ok_;
  controls_[kCancel] = cancel_;
  connect(ok_, &QPushButton::clicked, this, &ProfileDialog::onOk);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // OK waits for a website address: a profile without a host name would
  // send every target an empty submission.
  connect(url_, &QLineEdit::textChanged, this, &ProfileDialog::showUrlProblem);
  showUrlProblem();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttonRowAtRight({ok_, cancel_}));

  for (std::size_t i = 0; i + 1 < controls_.size(); ++i) setTabOrder(controls_[i], controls_[i + 1]);
  for (QWidget* control : controls_) control->installEventFilter(this);
  // Line edits of the lists would see keys first if the lists were editable;
  // they are not, but the long description's viewport receives its keys.
  longDescription_->viewport()->installEventFilter(this);
  controls_[0]->setFocus();
  resize(460, 560);
}

int ProfileDialog::selectionFor(const QComboBox& list, const QString& text, int fallback) {
  for (int i = list.count() - 1; i >= 0; --i) {
    if (list.itemText(i) == text) return i;
  }
  return fallback;
}

bool ProfileDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter and Escape neither accept nor cancel: only the buttons close the
  // dialog, so a stray key cannot lose or commit the user's typing.
  if (isEnterOrEscape(event)) return true;
  return QDialog::eventFilter(watched, event);
}

void ProfileDialog::keyPressEvent(QKeyEvent* event) {
  if (isEnterOrEscape(event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

QString ProfileDialog::urlProblem() const {
  const std::optional<std::string> problem = core::websiteUrlProblem(url_->text().toStdString());
  if (!problem) return {};
  QString text = QString::fromStdString(*problem);
  text[0] = text[0].toUpper();
  return text + QLatin1Char('.');
}

void ProfileDialog::showUrlProblem() {
  const QString problem = urlProblem();
  urlProblem_->setText(problem);
  urlProblem_->setVisible(!problem.isEmpty());
  ok_->setEnabled(problem.isEmpty());
}

void ProfileDialog::onOk() {
  if (!urlProblem().isEmpty()) return;
  const QString shortText = shortDescription_->text();
  if (static_cast<std::size_t>(shortText.toUcs4().size()) > core::kShortDescriptionLimit) {
    MessageBoxes::warn(this, QStringLiteral("Please enter no more than %1 characters.")
                                 .arg(static_cast<qulonglong>(core::kShortDescriptionLimit)));
    shortDescription_->setFocus();
    shortDescription_->selectAll();
    return;
  }
  const std::span<const core::ProfileField> fields = core::profileFields();
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    QString text;
    if (auto* list = qobject_cast<QComboBox*>(controls_[i])) {
      text = list->currentIndex() >= 0 ? list->currentText() : QString();
    } else if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
      text = edit->text();
    } else {
      text = longDescription_->toPlainText();
    }
    texts.push_back(text.toStdString());
    // A pasted control character (an ESC, a tab in a one-line field) is
    // named and not stored.
    if (const std::optional<std::string> problem = core::profileTextProblem(fields[i], texts.back())) {
      MessageBoxes::warn(this, QStringLiteral("%1 %2.").arg(QString::fromUtf8(fields[i].label),
                                                             QString::fromStdString(*problem)));
      controls_[i]->setFocus();
      return;
    }
  }
  // Text longer than a field's capacity is cut there, never mid-character.
  for (std::size_t i = 0; i < fields.size(); ++i) core::copyText(fields[i].in(profile_), fields[i].capacity, texts[i]);
  accept();
}

}  // namespace larkspur::ui
