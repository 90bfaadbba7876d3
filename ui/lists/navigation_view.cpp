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

NavigationView::NavigationView(QWidget* parent) : QWidget(parent) {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("workAreaTabs"));
  tabs_->setProperty("controlId", kIdWorkAreaTabs);
  tabs_->setDocumentMode(true);
  tabs_->setIconSize(QSize(16, 16));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, &NavigationView::commandStateChanged);
  // The status pane counts the rows of the list in view.
  connect(tabs_, &QTabWidget::currentChanged, this, &NavigationView::emitActiveStatus);
}

void NavigationView::releaseWorkAreas() {
  while (tabs_->count() > 0) {
    QWidget* view = tabs_->widget(0);
    tabs_->removeTab(0);
    delete view;
  }
  engineView_ = nullptr;
  linkView_ = nullptr;
  ppcView_ = nullptr;
}

QString NavigationView::linkTabCaption(const core::WebsiteProfile& profile) {
  const std::string_view host = core::fieldView(profile.host);
  if (host.empty()) return QStringLiteral("Link To My Website");
  return QStringLiteral("Link To %1").arg(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())));
}

void NavigationView::rebuildWorkAreas(core::Project& project, const core::Settings& settings,
                                      std::size_t targetCount) {
  releaseWorkAreas();

  auto* engines = new EngineListView(project.engines, settings.engine_column_widths);
  engines->setRecordCount(targetCount);
  engines->setAutoSubmitAvailable(autoSubmitAvailable_);
  engines->setTargetCheckAvailable(targetCheckAvailable_);
  connect(engines, &EngineListView::openTargetRequested, this, &NavigationView::openTargetRequested);
  connect(engines, &EngineListView::autoSubmitRequested, this, &NavigationView::autoSubmitRequested);
  connect(engines, &EngineListView::targetCheckRequested, this, &NavigationView::targetCheckRequested);
  connect(engines, &EngineListView::recordsModified, this, &NavigationView::recordsModified);
  addWorkArea(engines, QStringLiteral("engineList"), QStyle::SP_FileDialogDetailedView,
              QStringLiteral("Search Engine Submit"));
  engineView_ = engines;
  engines->fill();

  auto* ppc = new PpcListView(project.ppc, settings.engine_column_widths);
  ppc->setOpenerSource(openerSource_);
  addWorkArea(ppc, QStringLiteral("ppcList"), QStyle::SP_DriveNetIcon, QStringLiteral("PPC Manage"));
  ppcView_ = ppc;
  ppc->fill();

  auto* links = new LinkListView(project.links, settings.link_column_widths);
  links->setOpenerSource(openerSource_);
  links->setProject(&project);
  connect(links, &LinkListView::recordsModified, this, &NavigationView::recordsModified);
  addWorkArea(links, QStringLiteral("linkList"), QStyle::SP_FileLinkIcon, linkTabCaption(project.profile));
  linkView_ = links;
  links->fill();

  tabs_->setCurrentIndex(0);
  emitActiveStatus();
  emit commandStateChanged();
}

void NavigationView::addWorkArea(RowListView* view, const QString& name, QStyle::StandardPixmap icon,
                                 const QString& caption) {
  view->setObjectName(name);
  view->setProperty("controlId", kIdFirstPane + tabs_->count());
  // The status pane counts the list in view only: a job filling another
  // list leaves it alone.
  connect(view, &RowListView::statusTextChanged, this, [this, view](const QString& text) {
    if (activeView() == view) emit statusTextChanged(text);
  });
  connect(view, &RowListView::commandStateChanged, this, &NavigationView::commandStateChanged);
  tabs_->addTab(view, style()->standardIcon(icon), caption);
}

void NavigationView::emitActiveStatus() {
  QWidget* view = activeView();
  if (auto* rows = qobject_cast<RowListView*>(view)) emit statusTextChanged(rows->statusText());
}

LinkListView* NavigationView::linkView() const { return linkView_.data(); }

PpcListView* NavigationView::ppcView() const { return ppcView_.data(); }

QWidget* NavigationView::activeView() const { return tabs_->currentWidget(); }

EngineListView* NavigationView::activeEngineView() const {
  return engineView_ && tabs_->currentWidget() == engineView_ ? engineView_.data() : nullptr;
}

void NavigationView::setAutoSubmitAvailable(bool available) {
  autoSubmitAvailable_ = available;
  if (engineView_) engineView_->setAutoSubmitAvailable(available);
}

void NavigationView::setTargetCheckAvailable(bool available) {
  targetCheckAvailable_ = available;
  if (engineView_) engineView_->setTargetCheckAvailable(available);
}

}  // namespace larkspur::ui
