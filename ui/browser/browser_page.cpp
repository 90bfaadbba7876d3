#include "ui/browser/browser_page.h"

#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>

#include "core/fixed_text.h"
#include "core/service_hosts.h"
#include "ui/dialogs/message_boxes.h"
#include "webengine/session_page.h"
#include "webengine/web_engine_browser.h"

namespace larkspur::ui {

using webengine::SessionPage;
using webengine::WebEngineBrowser;

namespace {
// The page-load progress of Qt WebEngine is a percentage.
constexpr long kProgressMaximum = 100;
constexpr long kProgressDone = -1;
}  // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, const submit::SubmissionContext& context, QWidget* parent)
    : QWebEngineView(parent), context_(context) {
  page_ = new SessionPage(profile, false, this);
  setPage(page_);
  // The page's alerts and confirmations are the program's message boxes,
  // captioned with the host that asks.
  page_->setDialogHandler([this](SessionPage::Dialog dialog, const QString& host, const QString& text) {
    if (dialog == SessionPage::Dialog::kAlert) {
      MessageBoxes::show(this, {MessageBoxRequest::Kind::Plain, host, text, QMessageBox::Ok, QMessageBox::Ok});
      return true;
    }
    const MessageBoxRequest request{MessageBoxRequest::Kind::Question, host, text,
                                    QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok};
    return MessageBoxes::show(this, request) == QMessageBox::Ok;
  });
  browser_ = std::make_unique<WebEngineBrowser>(page_);
  // The add-URL page goes to the service base when one is set.
  browser_->setAddressMap([](std::string_view url) { return core::effectiveServiceUrl(url); });

  connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) return;
    setAddress(info.url().toString());
    emit navigationStarted();
  });
  connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    if (!url.isEmpty()) setAddress(url.toString());
  });
  connect(page_, &QWebEnginePage::loadProgress, this, [this](int progress) {
    emit loadProgressed(progress, kProgressMaximum);
  });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) {
    emit loadProgressed(kProgressDone, kProgressMaximum);
  });
  connect(page_, &QWebEnginePage::titleChanged, this, &BrowserPage::titleShown);
  connect(page_, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    // With a session the text goes through its status rules first.
    if (!session_) emit statusText(url);
  });
}

BrowserPage::~BrowserPage() {
  browser_->close();
  browser_->setEvents(nullptr);
  session_.reset();
  browser_.reset();
}

void BrowserPage::setAddress(const QString& address) {
  if (address == address_) return;
  address_ = address;
  emit addressChanged(address_);
}

void BrowserPage::navigateTo(const QString& url) {
  setAddress(url);
  page_->load(QUrl(url));
}

void BrowserPage::openTarget(core::EngineRecord& record) {
  detachRecord();
  // Whatever the page was loading belongs to the page before.
  browser_->stopLoading();
  session_ = std::make_unique<submit::SubmissionSession>(
      context_, submit::SessionSetup::manualSession(record, *browser_, *this));
  browser_->setEvents(session_.get());
  setAddress(QString::fromStdString(core::effectiveServiceUrl(record.submit_url.view())));
  session_->start();
}

void BrowserPage::detachRecord() {
  browser_->setEvents(nullptr);
  session_.reset();
}

core::EngineRecord* BrowserPage::record() const { return session_ ? session_->record() : nullptr; }

bool BrowserPage::canGoBack() const { return page_->history()->canGoBack(); }

bool BrowserPage::canGoForward() const { return page_->history()->canGoForward(); }

void BrowserPage::showStatus(const std::string& text) { emit statusText(QString::fromStdString(text)); }

}  // namespace larkspur::ui
