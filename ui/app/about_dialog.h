#pragma once
// The about box: the program's icon, name and version.

#include <QDialog>

class QLabel;

namespace larkspur::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // "Larkspur Version <version>"
  static QString versionText();
  QLabel* versionLabel() const { return version_; }

 private:
  QLabel* version_ = nullptr;
};

}  // namespace larkspur::ui
