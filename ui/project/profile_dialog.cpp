#include "ui/project/profile_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <initializer_list>
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
constexpr int kEmail = 2;
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

bool isKeyPress(const QEvent* event, std::initializer_list<int> keys) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool isEnter(const QEvent* event) { return isKeyPress(event, {Qt::Key_Return, Qt::Key_Enter}); }
bool isEscape(const QEvent* event) { return isKeyPress(event, {Qt::Key_Escape}); }

// Red text while enabled; a disabled label keeps the style's grey.
QPalette warningPalette(QPalette palette) {
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
  }
  return palette;
}

// A line under a field that tells what is wrong with it, in red. Its line
// stays when it is hidden: the fields below do not jump as the text changes.
QLabel* makeProblemLabel(QWidget* parent, const QString& name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setPalette(warningPalette(label->palette()));
  label->setWordWrap(true);
  QSizePolicy policy = label->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  label->setSizePolicy(policy);
  return label;
}

QVBoxLayout* fieldWithProblem(QWidget* field, QLabel* problem) {
  auto* box = new QVBoxLayout;
  box->setSpacing(2);
  box->addWidget(field);
  box->addWidget(problem);
  return box;
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
    // The URL's and the e-mail's problems show right under them.
    if (i == kUrl) {
      urlProblem_ = makeProblemLabel(this, QStringLiteral("websiteUrlProblem"));
      grid->addLayout(fieldWithProblem(control, urlProblem_), i, 1);
    } else if (i == kEmail) {
      emailProblem_ = makeProblemLabel(this, QStringLiteral("emailProblem"));
      grid->addLayout(fieldWithProblem(control, emailProblem_), i, 1);
    } else {
      grid->addWidget(control, i, 1);
    }
    if (!qobject_cast<QComboBox*>(control)) {
      auto* left = new QLabel(this);
      left->setObjectName(QStringLiteral("left%1").arg(i));
      left->setPalette(warningPalette(left->palette()));
      left->setAlignment(Qt::AlignRight | Qt::AlignTop);
      left_[static_cast<std::size_t>(i)] = left;
      grid->addWidget(left, i, 2, Qt::AlignRight | Qt::AlignTop);
    }
  }
  grid->setRowStretch(kLongDescription, 1);
  grid->setColumnStretch(1, 1);

  url_ = static_cast<QLineEdit*>(controls_[kUrl]);
  if (url_->text().isEmpty()) url_->setText(QStringLiteral("http://"));
  email_ = static_cast<QLineEdit*>(controls_[kEmail]);

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
  connect(email_, &QLineEdit::textChanged, this, &ProfileDialog::showEmailProblem);
  showEmailProblem();
  for (int i = 0; i < static_cast<int>(left_.size()); ++i) {
    if (!left_[static_cast<std::size_t>(i)]) continue;
    if (auto* edit = qobject_cast<QLineEdit*>(controls_[static_cast<std::size_t>(i)])) {
      connect(edit, &QLineEdit::textChanged, this, [this, i] { showLeft(i); });
    } else {
      connect(longDescription_, &QPlainTextEdit::textChanged, this, [this, i] { showLeft(i); });
    }
    showLeft(i);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttonRowAtRight({ok_, cancel_}));

  for (std::size_t i = 0; i + 1 < controls_.size(); ++i) setTabOrder(controls_[i], controls_[i + 1]);
  for (QWidget* control : controls_) control->installEventFilter(this);
  // Line edits of the lists would see keys first if the lists were editable;
  // they are not, but the long description's viewport receives its keys.
  longDescription_->viewport()->installEventFilter(this);
  controls_[0]->setFocus();
  resize(520, 600);
}

int ProfileDialog::selectionFor(const QComboBox& list, const QString& text, int fallback) {
  for (int i = list.count() - 1; i >= 0; --i) {
    if (list.itemText(i) == text) return i;
  }
  return fallback;
}

bool ProfileDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter does not accept: only OK commits the user's typing. Escape cancels
  // wherever the focus is.
  if (isEnter(event)) return true;
  if (isEscape(event)) {
    reject();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ProfileDialog::keyPressEvent(QKeyEvent* event) {
  if (isEnter(event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);  // Escape rejects
}

QLabel* ProfileDialog::leftLabel(int index) const {
  return index >= 0 && index < static_cast<int>(left_.size()) ? left_[static_cast<std::size_t>(index)] : nullptr;
}

QString ProfileDialog::controlText(int index) const {
  QWidget* control = controls_[static_cast<std::size_t>(index)];
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  if (control == longDescription_) return longDescription_->toPlainText();
  return {};
}

int ProfileDialog::charactersLeft(int index) const {
  const core::ProfileField& field = core::profileFields()[static_cast<std::size_t>(index)];
  const QString text = controlText(index);
  // The field's bytes, its terminator aside.
  int left = static_cast<int>(field.capacity) - 1 - static_cast<int>(text.toUtf8().size());
  if (index == kShortDescription) {
    const int characters = static_cast<int>(text.toUcs4().size());
    left = std::min(left, static_cast<int>(core::kShortDescriptionLimit) - characters);
  }
  return left;
}

void ProfileDialog::showLeft(int index) {
  QLabel* label = leftLabel(index);
  if (!label) return;
  const int left = charactersLeft(index);
  label->setText(left >= 0 ? QStringLiteral("%1 left").arg(left) : QStringLiteral("%1 too many").arg(-left));
  // A small grey note; past the limit a warning, in red.
  label->setEnabled(left < 0);
  label->setToolTip(index == kShortDescription
                        ? QStringLiteral("At most %1 characters")
                              .arg(static_cast<qulonglong>(core::kShortDescriptionLimit))
                        : QStringLiteral("What is longer is cut when the profile is stored"));
}

QString ProfileDialog::emailProblem(const QString& email) {
  if (email.isEmpty()) return {};
  QString reason;
  const qsizetype at = email.lastIndexOf(QLatin1Char('@'));
  const QString domain = at < 0 ? QString() : email.mid(at + 1);
  if (email.contains(QRegularExpression(QStringLiteral("\\s")))) {
    reason = QStringLiteral("it holds blanks");
  } else if (at < 0) {
    reason = QStringLiteral("it has no @");
  } else if (email.indexOf(QLatin1Char('@')) != at) {
    reason = QStringLiteral("it holds more than one @");
  } else if (at == 0) {
    reason = QStringLiteral("nothing comes before the @");
  } else {
    // A domain of dot-separated labels, such as example.com.
    static const QRegularExpression kDomain(QStringLiteral("^([^.\\s]+\\.)+[^.\\s]{2,}$"));
    if (!kDomain.match(domain).hasMatch()) {
      reason = QStringLiteral("after the @ comes no domain name such as example.com");
    }
  }
  if (reason.isEmpty()) return {};
  return QStringLiteral("This is no e-mail address: %1. Directories may refuse it.").arg(reason);
}

void ProfileDialog::showEmailProblem() {
  const QString problem = emailProblem(email_->text());
  emailProblem_->setText(problem);
  emailProblem_->setVisible(!problem.isEmpty());
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

QStringList ProfileDialog::typedTexts() const {
  QStringList texts;
  for (std::size_t i = 0; i < core::profileFields().size(); ++i) {
    if (auto* list = qobject_cast<QComboBox*>(controls_[i])) {
      texts << (list->currentIndex() >= 0 ? list->currentText() : QString());
    } else if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
      texts << edit->text();
    } else {
      texts << longDescription_->toPlainText();
    }
  }
  return texts;
}

void ProfileDialog::restoreTypedTexts(const QStringList& texts) {
  for (std::size_t i = 0; i < core::profileFields().size() && i < static_cast<std::size_t>(texts.size()); ++i) {
    const QString& text = texts[static_cast<qsizetype>(i)];
    if (auto* list = qobject_cast<QComboBox*>(controls_[i])) {
      list->setCurrentIndex(selectionFor(*list, text, list->currentIndex()));
    } else if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
      edit->setText(text);
    } else {
      longDescription_->setPlainText(text);
    }
  }
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
