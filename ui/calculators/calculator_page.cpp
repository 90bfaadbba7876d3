#include "ui/calculators/calculator_page.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace larkspur::ui {

namespace {

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kHelpBoxMinimumHeight = 90;
constexpr int kFieldMinimumWidth = 120;

}  // namespace

CalculatorPage::CalculatorPage(calculators::CalculatorPage page, QWidget* parent)
    : QWidget(parent),
      info_(calculators::calculatorPages()[static_cast<std::size_t>(page)]),
      formulas_(pageFormulas(page)) {
  auto* grid = new QGridLayout;
  int row = 0;
  for (const calculators::CalculatorFieldInfo& fieldInfo : info_.fields) {
    auto* label = new QLabel(toQString(fieldInfo.label), this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("field%1").arg(fieldInfo.id));
    edit->setProperty("controlId", fieldInfo.id);
    edit->setMinimumWidth(kFieldMinimumWidth);
    label->setBuddy(edit);
    auto* unit = new QLabel(toQString(fieldInfo.unit), this);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(unit, row, 2);
    ++row;

    const int index = static_cast<int>(fields_.size());
    fields_.push_back(edit);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this, index] { onTextChanged(index); });
  }
  grid->setColumnStretch(1, 1);

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  help_ = new QLabel(this);
  help_->setObjectName(QStringLiteral("help"));
  help_->setProperty("controlId", kHelpBoxId);
  help_->setWordWrap(true);
  help_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  help_->setTextFormat(Qt::PlainText);
  help_->setMinimumHeight(kHelpBoxMinimumHeight);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addWidget(separator);
  layout->addWidget(help_);
}

QLineEdit* CalculatorPage::field(int id) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (info_.fields[i].id == id) return fields_[i];
  }
  return nullptr;
}

QString CalculatorPage::helpText() const { return help_->text(); }

void CalculatorPage::onTextChanged(int index) {
  // Results written by a recomputation are changes too; they start nothing.
  if (writing_ || info_.fields[static_cast<std::size_t>(index)].result) return;
  writing_ = true;
  std::vector<std::string> texts;
  for (QLineEdit* edit : fields_) texts.push_back(edit->text().toStdString());
  formulas_(texts, index);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const QString value = QString::fromStdString(texts[i]);
    if (fields_[i]->text() != value) fields_[i]->setText(value);
  }
  writing_ = false;
}

bool CalculatorPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (fields_[i] == watched) {
        help_->setText(toQString(info_.fields[i].help));
        help_->update();
        break;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace larkspur::ui
