#pragma once
// The profile dialog "Input your website detail": the user's website details
// in fourteen edits and three lists. OK writes every control's text into the
// profile; the caller then recomputes what is derived from it. OK stays
// disabled while the website URL is no web address with a host name, and the
// reason shows under the URL; the other fields are optional. Beside each
// text, how much more it holds ("12 left") as the user types; under the
// e-mail, a warning while it is no address (OK is still allowed: the
// directories decide). Enter does nothing; Escape cancels, as Cancel does.

#include <QDialog>
#include <QStringList>
#include <array>

#include "core/website_profile.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace larkspur::ui {

class ProfileDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Mode {
    Prefilled,  // the edits start with the profile's values
    Blank,      // the edits start empty
  };

  // The lists take their selection from `profile` in both modes.
  ProfileDialog(core::WebsiteProfile& profile, Mode mode, QWidget* parent = nullptr);

  // The controls in tab order: 0-9 and 13-15 line edits, 10-12 lists,
  // 16 the long description, 17 OK, 18 Cancel.
  QWidget* control(int index) const { return controls_[static_cast<std::size_t>(index)]; }
  QComboBox* countryList() const { return country_; }
  QComboBox* categoryList() const { return category_; }
  QComboBox* categoryAddonList() const { return categoryAddon_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  // Why the website URL as typed cannot be accepted ("" when it can), as the
  // label under it says.
  QString urlProblem() const;
  QLabel* urlProblemLabel() const { return urlProblem_; }
  // Why a text is no e-mail address, as a warning; "" when it is one or is
  // empty.
  static QString emailProblem(const QString& email);
  QLabel* emailProblemLabel() const { return emailProblem_; }
  // How many more characters a text control holds ("12 left", or "3 too
  // many" past its limit); nullptr for the lists and the buttons. A
  // character outside ASCII counts as the bytes it takes in the field.
  QLabel* leftLabel(int index) const;
  int charactersLeft(int index) const;

  // What the controls hold as typed or chosen, in control order, and the same
  // put back: a dialog cancelled on the first start comes back as it was left.
  QStringList typedTexts() const;
  void restoreTypedTexts(const QStringList& texts);

  // The selection rule of the three lists: the position of the last entry
  // equal to `text` (case-sensitive), else `fallback` (-1: no selection).
  static int selectionFor(const QComboBox& list, const QString& text, int fallback);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void onOk();
  void showUrlProblem();
  void showEmailProblem();
  void showLeft(int index);
  QString controlText(int index) const;

  core::WebsiteProfile& profile_;
  std::array<QWidget*, 19> controls_{};
  QComboBox* country_ = nullptr;
  QComboBox* category_ = nullptr;
  QComboBox* categoryAddon_ = nullptr;
  QPlainTextEdit* longDescription_ = nullptr;
  QLineEdit* url_ = nullptr;
  QLabel* urlProblem_ = nullptr;
  QLineEdit* email_ = nullptr;
  QLabel* emailProblem_ = nullptr;
  std::array<QLabel*, 17> left_{};
  QLineEdit* shortDescription_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace larkspur::ui
