#pragma once
// The "Advertise Calculator" window: a modeless window with the three
// calculator pages as tabs (" ROI  ", " CPC  ", " CPM  "), an "OK" and a
// "Cancel" button. OK, Cancel and the close box all close and destroy it;
// nothing typed into it is kept.

#include <QDialog>

#include "ui/calculators/cpc_page.h"
#include "ui/calculators/cpm_page.h"
#include "ui/calculators/roi_page.h"

class QTabWidget;

namespace larkspur::ui {

class AdvertiseCalculatorDialog : public QDialog {
  Q_OBJECT

 public:
  // The frame control that becomes the tab control.
  static constexpr int kTabsId = 1000;

  explicit AdvertiseCalculatorDialog(QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  RoiPage* roiPage() const { return roi_; }
  CpcPage* cpcPage() const { return cpc_; }
  CpmPage* cpmPage() const { return cpm_; }

 private:
  QTabWidget* tabs_ = nullptr;
  RoiPage* roi_ = nullptr;
  CpcPage* cpc_ = nullptr;
  CpmPage* cpm_ = nullptr;
};

}  // namespace larkspur::ui
