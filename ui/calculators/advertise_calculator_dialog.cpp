#include "ui/calculators/advertise_calculator_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "calculators/ad_calculator_pages.h"
#include "ui/app/app_icon.h"

namespace larkspur::ui {

namespace {

QString caption(calculators::CalculatorPage page) {
  const std::string_view text = calculators::calculatorPages()[static_cast<std::size_t>(page)].caption;
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// About 320 x 233 dialog units.
constexpr int kInitialWidth = 500;
constexpr int kInitialHeight = 400;

}  // namespace

AdvertiseCalculatorDialog::AdvertiseCalculatorDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("advertiseCalculator"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QString::fromUtf8(calculators::kCalculatorWindowTitle.data(),
                                   static_cast<qsizetype>(calculators::kCalculatorWindowTitle.size())));
  setWindowIcon(appIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("calculatorTabs"));
  tabs_->setProperty("controlId", kTabsId);
  roi_ = new RoiPage;
  cpc_ = new CpcPage;
  cpm_ = new CpmPage;
  tabs_->addTab(roi_, caption(calculators::CalculatorPage::Roi));
  tabs_->addTab(cpc_, caption(calculators::CalculatorPage::Cpc));
  tabs_->addTab(cpm_, caption(calculators::CalculatorPage::Cpm));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  // OK, Cancel and the close box all end the dialog, which destroys it.
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buttons);
  resize(kInitialWidth, kInitialHeight);
}

}  // namespace larkspur::ui
