#pragma once
// The link dialog "Link URL": the URL, title, note, contact e-mail and
// contact name of one link. The description and the status are carried
// through unchanged by hidden controls. OK checks the length limits and that
// the URL is not empty, and stays open with a message when a check fails.

#include <QDialog>

#include "core/link_list_edit.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace larkspur::ui {

class LinkDialog : public QDialog {
  Q_OBJECT

 public:
  // Edits `fields` in place; they change only when the dialog is accepted.
  explicit LinkDialog(core::LinkFields& fields, QWidget* parent = nullptr);

  // Controls by their resource ids: 1014 URL, 1015 title, 1020 note, 1001
  // e-mail, 1018 contact name, 1017 description (hidden).
  QLineEdit* edit(int controlId) const;
  QComboBox* statusList() const { return status_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 public slots:
  void accept() override;

 private:
  core::LinkFields& fields_;
  QLineEdit* url_ = nullptr;
  QLineEdit* title_ = nullptr;
  QLineEdit* note_ = nullptr;
  QLineEdit* email_ = nullptr;
  QLineEdit* contact_ = nullptr;
  QLineEdit* description_ = nullptr;
  QComboBox* status_ = nullptr;
  QString statusText_;  // the status as it came: the list has no entries
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace larkspur::ui
