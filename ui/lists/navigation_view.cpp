#include "ui/lists/navigation_view.h"

#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/fixed_text.h"
#include "ui/app/command_ids.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/link_list_view.h"
#include "ui/lists/ppc_list_view.h"

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
  // The status pane counts the rows of the list in view.
  connect(tabs_, &QTabWidget::currentChanged, this, &CItemView::emitActiveStatus);
}

void CItemView::releaseWorkAreas() {
  while (tabs_->count() > 0) {
    QWidget* view = tabs_->widget(0);
    tabs_->removeTab(0);
    delete view;
  }
  engineView_ = nullptr;
  linkView_ = nullptr;
  ppcView_ = nullptr;
}

QString CItemView::linkTabCaption(const core::WebsiteProfile& profile) {
  const std::string_view host = core::fieldView(profile.host);
  if (host.empty()) return QStringLiteral("Link To My Website");
  return QStringLiteral("Link To %1").arg(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())));
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

  auto* ppc = new CPPCView(project.ppc, settings.engine_column_widths);
  ppc->setObjectName(QStringLiteral("ppcList"));
  ppc->setProperty("controlId", kIdFirstPane + tabs_->count());
  ppc->setOpenerSource(openerSource_);
  connect(ppc, &CPPCView::statusTextChanged, this, &CItemView::statusTextChanged);
  connect(ppc, &CPPCView::commandStateChanged, this, &CItemView::commandStateChanged);
  tabs_->addTab(ppc, style()->standardIcon(QStyle::SP_DriveNetIcon), QStringLiteral("PPC Manage"));
  ppcView_ = ppc;
  ppc->fill();

  auto* links = new CLinkListView(project.links, settings.link_column_widths);
  links->setObjectName(QStringLiteral("linkList"));
  links->setProperty("controlId", kIdFirstPane + tabs_->count());
  links->setOpenerSource(openerSource_);
  connect(links, &CLinkListView::statusTextChanged, this, &CItemView::statusTextChanged);
  connect(links, &CLinkListView::recordsModified, this, &CItemView::recordsModified);
  connect(links, &CLinkListView::commandStateChanged, this, &CItemView::commandStateChanged);
  tabs_->addTab(links, style()->standardIcon(QStyle::SP_FileLinkIcon), linkTabCaption(project.profile));
  linkView_ = links;
  links->fill();

  tabs_->setCurrentIndex(0);
  emitActiveStatus();
  emit commandStateChanged();
}

void CItemView::emitActiveStatus() {
  QWidget* view = activeView();
  if (auto* engines = qobject_cast<CLarkspurView*>(view)) emit statusTextChanged(engines->statusText());
  if (auto* rows = qobject_cast<RowListView*>(view)) emit statusTextChanged(rows->statusText());
}

CLinkListView* CItemView::linkView() const { return linkView_.data(); }

CPPCView* CItemView::ppcView() const { return ppcView_.data(); }

QWidget* CItemView::activeView() const { return tabs_->currentWidget(); }

CLarkspurView* CItemView::activeEngineView() const {
  return engineView_ && tabs_->currentWidget() == engineView_ ? engineView_.data() : nullptr;
}

void CItemView::setAutoSubmitAvailable(bool available) {
  autoSubmitAvailable_ = available;
  if (engineView_) engineView_->setAutoSubmitAvailable(available);
}

}  // namespace larkspur::ui
