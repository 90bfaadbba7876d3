#include "webengine/automatic_session.h"

#include <QTimer>
#include <QWebEngineProfile>

#include "webengine/session_page.h"
#include "webengine/web_engine_browser.h"

namespace larkspur::webengine {

AutomaticSession::AutomaticSession(core::EngineRecord& record, const submit::SubmissionContext& context,
                                   std::function<std::string(std::string_view)> addressMap, QObject* parent)
    : QObject(parent), counted_(context.coordination->workers) {
  // Off the record: nothing of the targets' cookies or caches stays behind,
  // and no session sees another's cookies.
  profile_ = new QWebEngineProfile(static_cast<QObject*>(nullptr));
  page_ = new SessionPage(profile_, true);
  browser_ = std::make_unique<WebEngineBrowser>(page_);
  browser_->setShowWhenLoading(true);
  browser_->setLooksWhileSettling(true);
  if (addressMap) browser_->setAddressMap(std::move(addressMap));

  timeOut_ = new QTimer(this);
  stopPoll_ = new QTimer(this);
  connect(timeOut_, &QTimer::timeout, this, [this] { session_->onTimer(submit::SessionTimer::kTimeOut); });
  connect(stopPoll_, &QTimer::timeout, this, [this] { session_->onTimer(submit::SessionTimer::kStopPoll); });

  session_ = std::make_unique<submit::SubmissionSession>(
      context, submit::SessionSetup::automaticSession(record, *browser_, *this, *this));
  browser_->setEvents(session_.get());
}

AutomaticSession::~AutomaticSession() {
  timeOut_->stop();
  stopPoll_->stop();
  browser_->close();
  browser_->setEvents(nullptr);
  session_.reset();
  browser_.reset();
  // The page goes before its profile.
  delete page_;
  delete profile_;
}

void AutomaticSession::start() { session_->start(); }

void AutomaticSession::closeNow() { session_->closeSession(); }

QTimer* AutomaticSession::timer(submit::SessionTimer which) const {
  return which == submit::SessionTimer::kTimeOut ? timeOut_ : stopPoll_;
}

void AutomaticSession::startTimer(submit::SessionTimer which, std::chrono::milliseconds period) {
  timer(which)->start(period);
}

void AutomaticSession::killTimer(submit::SessionTimer which) { timer(which)->stop(); }

void AutomaticSession::closeFrame() {
  if (closing_) return;
  closing_ = true;
  timeOut_->stop();
  stopPoll_->stop();
  // Closing is asked from inside the page's and the session's own calls: the
  // objects go once those have returned.
  emit closed(this);
  deleteLater();
}

}  // namespace larkspur::webengine
