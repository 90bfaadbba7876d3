#include "ui/app/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "larkspur_version.h"
#include "ui/app/app_icon.h"

namespace larkspur::ui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("about"));
  setWindowTitle(QStringLiteral("About Larkspur"));
  setWindowIcon(appIcon());

  auto* icon = new QLabel(this);
  icon->setPixmap(appIcon().pixmap(48, 48));
  version_ = new QLabel(versionText(), this);
  version_->setObjectName(QStringLiteral("version"));
  auto* purpose = new QLabel(
      QStringLiteral("Submits your website to search engines and directories,\n"
                     "measures its link popularity and helps plan your advertising."),
      this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(version_, 0, 1);
  layout->addWidget(purpose, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDialog::versionText() { return QStringLiteral("Larkspur Version %1").arg(QStringLiteral(LARKSPUR_VERSION)); }

}  // namespace larkspur::ui
