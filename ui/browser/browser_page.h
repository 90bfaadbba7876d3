#pragma once
// A page of the browser pane: a web view that shows any address, and, with an
// Engine record attached, is a manual submission session: every page it loads
// is walked and its form filled from the Website profile, but nothing is
// clicked, classified or timed out; the user finishes the submission in the
// page. The view reports its address (the tab caption), its title, link
// addresses under the pointer and its load progress to the pane.

#include <QWebEngineView>
#include <memory>
#include <string>

#include "core/coordination.h"
#include "core/engine_record.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/submission_session.h"

class QWebEngineProfile;

namespace larkspur::webengine {
class SessionPage;
class WebEngineBrowser;
}  // namespace larkspur::webengine

namespace larkspur::ui {

class BrowserPage : public QWebEngineView, private submit::SessionFrame {
  Q_OBJECT

 public:
    // Manual sessions take the profile, word lists and stop signal of `context`.
  BrowserPage(QWebEngineProfile* profile, const submit::SubmissionContext& context, QWidget* parent = nullptr);
  ~BrowserPage() override;

  // Shows `url` (no record: nothing is filled).
  void navigateTo(const QString& url);
  // Attaches `record` and loads its add-URL page; every page loaded from then
  // on is filled. Replaces a record attached before.
  void openTarget(core::EngineRecord& record);
  // Lets go of the record (its table is about to be cleared); the page stays.
  void detachRecord();
  core::EngineRecord* record() const;
  const submit::SubmissionSession* session() const { return session_.get(); }

  webengine::SessionPage* sessionPage() const { return page_; }
  webengine::WebEngineBrowser* browser() const { return browser_.get(); }
  // The address of the last navigation (the tab caption).
  QString address() const { return address_; }

  bool canGoBack() const;
  bool canGoForward() const;

 signals:
  void addressChanged(const QString& address);
  void titleShown(const QString& title);
  void statusText(const QString& text);
  void navigationStarted();
  void loadProgressed(long progress, long maximum);

 private:
  void showStatus(const std::string& text) override;
  void closeFrame() override {}  // a manual session never closes its page
  void setAddress(const QString& address);

  submit::SubmissionContext context_;
  webengine::SessionPage* page_ = nullptr;
  std::unique_ptr<webengine::WebEngineBrowser> browser_;
  std::unique_ptr<submit::SubmissionSession> session_;
  QString address_;
};

}  // namespace larkspur::ui
