#include "ui/lists/find_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace larkspur::ui {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Find"));
  setModal(false);

  auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
  text_ = new QLineEdit(this);
  label->setBuddy(text_);
  wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
  matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
  auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
  up_ = new QRadioButton(QStringLiteral("&Up"), direction);
  down_ = new QRadioButton(QStringLiteral("&Down"), direction);
  down_->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(up_);
  directionLayout->addWidget(down_);

  findNext_ = new QPushButton(QStringLiteral("&Find Next"), this);
  findNext_->setDefault(true);
  findNext_->setEnabled(false);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* grid = new QGridLayout;
  grid->addWidget(label, 0, 0);
  grid->addWidget(text_, 0, 1, 1, 2);
  grid->addWidget(wholeWord_, 1, 0, 1, 2);
  grid->addWidget(matchCase_, 2, 0, 1, 2);
  grid->addWidget(direction, 1, 2, 2, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findNext_);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);

  connect(text_, &QLineEdit::textChanged, this, [this] {
    findNext_->setEnabled(!text_->text().isEmpty());
    emit textChanged();
  });
  connect(findNext_, &QPushButton::clicked, this, [this] {
    if (!text_->text().isEmpty()) emit findNextRequested();
  });
  connect(cancel, &QPushButton::clicked, this, &FindDialog::reject);
}

QString FindDialog::text() const { return text_->text(); }

FindOptions FindDialog::options() const {
  FindOptions o;
  o.text = text_->text();
  o.matchCase = matchCase_->isChecked();
  o.wholeWord = wholeWord_->isChecked();
  o.down = down_->isChecked();
  return o;
}

void FindDialog::closeEvent(QCloseEvent* event) {
  QDialog::closeEvent(event);
  if (!closing_) {
    closing_ = true;
    emit closed();
  }
}

void FindDialog::reject() {
  hide();
  if (!closing_) {
    closing_ = true;
    emit closed();
  }
}

}  // namespace larkspur::ui
