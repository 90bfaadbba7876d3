#pragma once
// The modeless find dialog of the list views: the text to find, match whole
// word, match case and the direction (initially down). "Find Next" asks the
// owning view to search; closing the dialog tells the view to forget it.

#include <QDialog>

#include "ui/lists/list_search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace larkspur::ui {

class FindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FindDialog(QWidget* parent = nullptr);

  FindOptions options() const;
  QString text() const;

  QLineEdit* textEdit() const { return text_; }
  QCheckBox* wholeWordBox() const { return wholeWord_; }
  QCheckBox* matchCaseBox() const { return matchCase_; }
  QRadioButton* upButton() const { return up_; }
  QRadioButton* downButton() const { return down_; }
  QPushButton* findNextButton() const { return findNext_; }

 signals:
  void findNextRequested();
  void textChanged();
  void closed();

 public slots:
  // Cancel: hides the dialog and reports it closed.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* text_ = nullptr;
  QCheckBox* wholeWord_ = nullptr;
  QCheckBox* matchCase_ = nullptr;
  QRadioButton* up_ = nullptr;
  QRadioButton* down_ = nullptr;
  QPushButton* findNext_ = nullptr;
  bool closing_ = false;
};

}  // namespace larkspur::ui
