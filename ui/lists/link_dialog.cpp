#include "ui/lists/link_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

namespace {

QString qtext(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QLineEdit* makeEdit(QWidget* parent, int controlId, const std::string& value) {
  auto* edit = new QLineEdit(qtext(value), parent);
  edit->setProperty("controlId", controlId);
  return edit;
}

}  // namespace

LinkDialog::LinkDialog(core::LinkFields& fields, QWidget* parent) : QDialog(parent), fields_(fields) {
  setWindowTitle(QStringLiteral("Link URL"));
  setProperty("resourceId", 134);

  url_ = makeEdit(this, 1014, fields.url);
  title_ = makeEdit(this, 1015, fields.linkText);
  note_ = makeEdit(this, 1020, fields.note);
  email_ = makeEdit(this, 1001, fields.email);
  contact_ = makeEdit(this, 1018, fields.contactName);
  description_ = makeEdit(this, 1017, fields.description);
  description_->hide();
  status_ = new QComboBox(this);
  status_->setProperty("controlId", 1016);
  status_->setCurrentIndex(0);  // no entries: nothing to select
  status_->hide();
  statusText_ = qtext(fields.status);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Link URL"), url_);
  form->addRow(QStringLiteral("Link Title"), title_);
  form->addRow(QStringLiteral("Note"), note_);
  form->addRow(QStringLiteral("Contact email"), email_);
  form->addRow(QStringLiteral("Contact name"), contact_);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  connect(ok_, &QPushButton::clicked, this, &LinkDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &LinkDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttonRowAtRight({ok_, cancel_}));
  resize(460, sizeHint().height());
}

QLineEdit* LinkDialog::edit(int controlId) const {
  for (QLineEdit* e : {url_, title_, note_, email_, contact_, description_}) {
    if (e->property("controlId").toInt() == controlId) return e;
  }
  return nullptr;
}

void LinkDialog::accept() {
  core::LinkFields taken;
  taken.url = url_->text().toStdString();
  taken.linkText = title_->text().toStdString();
  taken.note = note_->text().toStdString();
  taken.email = email_->text().toStdString();
  taken.contactName = contact_->text().toStdString();
  taken.description = description_->text().toStdString();
  taken.status = statusText_.toStdString();
  const core::Status checked = core::checkLinkFields(taken);
  if (!checked.ok()) {
    const QString message = QString::fromStdString(checked.message);
    if (message == QLatin1String(core::kLinkUrlMissing) || message == QLatin1String(core::kLinkUrlNotWeb)) {
      MessageBoxes::inform(this, message);
      url_->setFocus();
    } else {
      MessageBoxes::warn(this, message);
    }
    return;
  }
  fields_ = std::move(taken);
  QDialog::accept();
}

}  // namespace larkspur::ui
