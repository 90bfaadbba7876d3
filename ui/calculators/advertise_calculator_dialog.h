#pragma once
// The "Advertise Calculator" window: a modeless window with the three
// calculator pages as tabs (" ROI  ", " CPC  ", " CPM  "), an "OK" and a
// "Cancel" button. OK, Cancel and the close box all close and destroy it;
// nothing typed into it is kept.

#include <QDialog>

class QTabWidget;

namespace larkspur::ui {

class CDialogCPC;
class CDialogCPM;
class CDialogROI;

class CAdvertiseCalculatorDlg : public QDialog {
  Q_OBJECT

 public:
  // The frame control that becomes the tab control.
  static constexpr int kTabsId = 1000;

  explicit CAdvertiseCalculatorDlg(QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  CDialogROI* roiPage() const { return roi_; }
  CDialogCPC* cpcPage() const { return cpc_; }
  CDialogCPM* cpmPage() const { return cpm_; }

 private:
  QTabWidget* tabs_ = nullptr;
  CDialogROI* roi_ = nullptr;
  CDialogCPC* cpc_ = nullptr;
  CDialogCPM* cpm_ = nullptr;
};

}  // namespace larkspur::ui
