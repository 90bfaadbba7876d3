#include "ui/browser/browser_pane.h"

#include <QCursor>
#include <QMenu>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <algorithm>

#include "core/service_hosts.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/unhealthy_targets.h"
#include "webengine/session_page.h"

namespace larkspur::ui {

namespace {

constexpr int kTabsControlId = 100;
constexpr int kTabWidth = 220;
constexpr int kTabMinimumWidth = 100;
constexpr int kTabMaximumWidth = 280;
constexpr int kTabHeight = 20;

// Tabs of the pane's metrics: 220 pixels wide, 100 at the least when room is
// short, never above 280; captions elided.
class BrowserTabBar : public QTabBar {
 public:
  using QTabBar::QTabBar;

 protected:
  QSize tabSizeHint(int index) const override {
    const QSize base = QTabBar::tabSizeHint(index);
    return {std::clamp(kTabWidth, kTabMinimumWidth, kTabMaximumWidth), std::max(base.height(), kTabHeight)};
  }
  QSize minimumTabSizeHint(int index) const override {
    const QSize base = QTabBar::minimumTabSizeHint(index);
    return {kTabMinimumWidth, std::max(base.height(), kTabHeight)};
  }
};

class BrowserTabs : public QTabWidget {
 public:
  explicit BrowserTabs(QWidget* parent) : QTabWidget(parent) { setTabBar(new BrowserTabBar(this)); }
};

}  // namespace

BrowserPane::BrowserPane(core::Project& project, core::Coordination& coordination, QWidget* parent)
    : QWidget(parent), project_(project), coordination_(coordination) {
  tabs_ = new BrowserTabs(this);
  tabs_->setObjectName(QStringLiteral("browserTabs"));
  tabs_->setProperty("controlId", kTabsControlId);
  tabs_->setDocumentMode(true);
  tabs_->setElideMode(Qt::ElideRight);
  tabs_->setUsesScrollButtons(true);
  tabs_->setIconSize(QSize(16, 16));
  tabs_->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);

  connect(tabs_, &QTabWidget::currentChanged, this, &BrowserPane::commandStateChanged);
  connect(tabs_->tabBar(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    // A right-click beside the tabs goes its normal way.
    if (QMenu* menu = tabMenu(pos)) {
      menu->exec(QCursor::pos());
      menu->deleteLater();
    }
  });
}

BrowserPane::~BrowserPane() {
  // Nobody hears of the tabs going any more (the main window may be going too).
  blockSignals(true);
  tabs_->blockSignals(true);
  // Every page goes before the profile they share.
  while (tabs_->count() > 0) {
    QWidget* view = tabs_->widget(0);
    tabs_->removeTab(0);
    delete view;
  }
  for (const QPointer<BrowserPage>& view : closing_) delete view.data();
  delete profile_;
}

QWebEngineProfile* BrowserPane::profile() {
  if (!profile_) profile_ = new QWebEngineProfile(static_cast<QObject*>(nullptr));
  return profile_;
}

BrowserPage* BrowserPane::page(int index) const { return qobject_cast<BrowserPage*>(tabs_->widget(index)); }

BrowserPage* BrowserPane::selectedPage() const { return qobject_cast<BrowserPage*>(tabs_->currentWidget()); }

int BrowserPane::pageCount() const { return tabs_->count(); }

QString BrowserPane::pageAddress(int index) const {
  const BrowserPage* view = page(index);
  return view ? view->address() : QString();
}

void BrowserPane::selectPage(int index) {
  if (index >= 0 && index < tabs_->count()) tabs_->setCurrentIndex(index);
}

bool BrowserPane::reportsProgress(const BrowserPage* view) const {
  return tabs_->count() == 0 || view == selectedPage();
}

void BrowserPane::wire(BrowserPage* view) {
  connect(view, &BrowserPage::addressChanged, this, [this, view](const QString& address) {
    const int index = tabs_->indexOf(view);
    if (index >= 0) tabs_->setTabText(index, address);
    emit commandStateChanged();
  });
  connect(view, &BrowserPage::titleShown, this, [this, view](const QString& title) {
    const int index = tabs_->indexOf(view);
    if (index >= 0) tabs_->setTabToolTip(index, title);
  });
  connect(view, &BrowserPage::statusText, this, [this](const QString& text) { emit statusMessage(text); });
  connect(view, &BrowserPage::navigationStarted, this, [this, view] {
    if (reportsProgress(view)) emit pageLoadStarted();
  });
  connect(view, &BrowserPage::loadProgressed, this, [this, view](long progress, long maximum) {
    if (reportsProgress(view)) emit pageLoadProgress(progress, maximum);
    if (progress < 0) emit commandStateChanged();
  });
  // A new window the page asks for opens as a new page of the pane.
  view->sessionPage()->setNewWindowHandler([this]() -> QWebEnginePage* {
    BrowserPage* opened = openPage(QString());
    return opened ? opened->sessionPage() : nullptr;
  });
}

BrowserPage* BrowserPane::openPage(const QString& url) {
  submit::SubmissionContext context;
  context.profile = &project_.profile;
  context.words = &project_.words;
  context.coordination = &coordination_;
  auto* view = new BrowserPage(profile(), context);
  view->setProperty("controlId", kIdFirstPane + tabs_->count());
  wire(view);
  const int index = tabs_->addTab(view, style()->standardIcon(QStyle::SP_FileLinkIcon), url);
  tabs_->setCurrentIndex(index);
  if (!url.isEmpty()) view->navigateTo(url);
  emit commandStateChanged();
  return view;
}

void BrowserPane::openTarget(core::EngineRecord& record, bool newPage) {
  // The page of a target whose last check keeps the profile from it is
  // filled only when the user says so; else it is shown as it is.
  if (!confirmUnhealthyTargets(this, {&record}, UnhealthyUse::kFill)) {
    openUrl(QString::fromStdString(core::effectiveServiceUrl(record.submit_url.view())), newPage);
    return;
  }
  BrowserPage* view = newPage ? nullptr : selectedPage();
  if (!view) view = openPage(QString());
  view->openTarget(record);
  // The record must not outlive its table in the page.
  if (QObject* owner = recordOwner_ ? recordOwner_() : nullptr) {
    connect(owner, &QObject::destroyed, view, [view] { view->detachRecord(); });
  }
}

void BrowserPane::openUrl(const QString& url, bool newPage) {
  BrowserPage* view = newPage ? nullptr : selectedPage();
  if (!view) {
    openPage(url);
    return;
  }
  // The page no longer shows a target: no form of it is filled any more.
  view->detachRecord();
  view->navigateTo(url);
}

void BrowserPane::removePage(int index) {
  BrowserPage* view = page(index);
  if (!view) return;
  tabs_->removeTab(index);
  view->detachRecord();
  view->hide();
  // The close may come from inside the page's own notifications.
  closing_.erase(std::remove_if(closing_.begin(), closing_.end(), [](const QPointer<BrowserPage>& p) { return !p; }),
                 closing_.end());
  closing_.emplace_back(view);
  view->deleteLater();
  emit commandStateChanged();
}

void BrowserPane::closePage(int index) {
  if (index >= 0 && index < tabs_->count()) removePage(index);
}

QMenu* BrowserPane::tabMenu(const QPoint& pos) {
  if (tabs_->tabBar()->tabAt(pos) < 0) return nullptr;
  lastRightClick_ = pos;
  auto* menu = new QMenu(this);
  QAction* close = menu->addAction(QStringLiteral("Close"));
  close->setData(kIdCloseTab);
  connect(close, &QAction::triggered, this, &BrowserPane::closeTabAtLastClick);
  return menu;
}

void BrowserPane::closeTabAtLastClick() { closePage(tabs_->tabBar()->tabAt(lastRightClick_)); }

void BrowserPane::back() {
  if (BrowserPage* view = selectedPage()) view->back();
}

void BrowserPane::forward() {
  if (BrowserPage* view = selectedPage()) view->forward();
}

void BrowserPane::stop() {
  if (BrowserPage* view = selectedPage()) view->stop();
}

void BrowserPane::refresh() {
  if (BrowserPage* view = selectedPage()) view->reload();
}

void BrowserPane::closeSelectedPage() {
  if (tabs_->count() > 0) closePage(tabs_->currentIndex());
}

bool BrowserPane::canGoBack() const {
  const BrowserPage* view = selectedPage();
  return view && view->canGoBack();
}

bool BrowserPane::canGoForward() const {
  const BrowserPage* view = selectedPage();
  return view && view->canGoForward();
}

}  // namespace larkspur::ui
