#include "ui/item_view.h"

#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/command_ids.h"
#include "ui/larkspur_view.h"

namespace larkspur::ui {

CItemView::CItemView(QWidget* parent) : QWidget(parent) {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("workAreaTabs"));
  tabs_->setProperty("controlId", kIdWorkAreaTabs);
  tabs_->setDocumentMode(true);
  tabs_->setIconSize(QSize(16, 16));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, &CItemView::commandStateChanged);
}

void CItemView::releaseWorkAreas() {
  while (tabs_->count() > 0) {
    QWidget* view = tabs_->widget(0);
    tabs_->removeTab(0);
    delete view;
  }
  engineView_ = nullptr;
}

void CItemView::rebuildWorkAreas(core::Project& project, const core::Settings& settings) {
  releaseWorkAreas();

  auto* engines = new CLarkspurView(project.engines, settings.engine_column_widths);
  engines->setObjectName(QStringLiteral("engineList"));
  engines->setProperty("controlId", kIdFirstPane + tabs_->count());
  engines->setAutoSubmitAvailable(autoSubmitAvailable_);
  connect(engines, &CLarkspurView::openTargetRequested, this, &CItemView::openTargetRequested);
  connect(engines, &CLarkspurView::autoSubmitRequested, this, &CItemView::autoSubmitRequested);
  connect(engines, &CLarkspurView::statusTextChanged, this, &CItemView::statusTextChanged);
  connect(engines, &CLarkspurView::recordsModified, this, &CItemView::recordsModified);
  connect(engines, &CLarkspurView::commandStateChanged, this, &CItemView::commandStateChanged);
  tabs_->addTab(engines, style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                QStringLiteral("Search Engine Submit"));
  engineView_ = engines;
  engines->fill();

  tabs_->setCurrentIndex(0);
  emit commandStateChanged();
}

QWidget* CItemView::activeView() const { return tabs_->currentWidget(); }

CLarkspurView* CItemView::activeEngineView() const {
  return engineView_ && tabs_->currentWidget() == engineView_ ? engineView_.data() : nullptr;
}

void CItemView::setAutoSubmitAvailable(bool available) {
  autoSubmitAvailable_ = available;
  if (engineView_) engineView_->setAutoSubmitAvailable(available);
}

}  // namespace larkspur::ui
