#pragma once
// The Qt WebEngine browser engine: a submission session's view of
// one QWebEnginePage on the GUI thread. A finished page load is snapshot by
// one script into the document model (the page's same-site frame documents
// first, then the page) and handed to the session as completed documents; the
// writes and clicks the session's walk made are carried out by a second
// script. A frame that loads a new document later (a form sent inside a
// frame) is snapshot and handed over the same way. Failed loads become
// navigation errors with the codes the session knows; title changes are
// passed on without the address Chromium shows before the real title.
//
// stopLoading() drops snapshots still on their way; after close() nothing is
// reported any more. The page is not owned: it must outlive the engine or be
// deleted only after close().

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "web/browser_engine.h"

class QTimer;
class QWebEngineLoadingInfo;
class QWebEnginePage;

namespace larkspur::webengine {

class SessionPage;

class WebEngineBrowser : public QObject, public web::BrowserEngine {
  Q_OBJECT

 public:
  using AddressMap = std::function<std::string(std::string_view url)>;

  explicit WebEngineBrowser(SessionPage* page, QObject* parent = nullptr);
  ~WebEngineBrowser() override;

  void setEvents(web::BrowserEvents* events) override { events_ = events; }
  void navigate(std::string_view url) override;
  void stopLoading() override;
  void close() override;
  void carryOut(web::Document& document) override;

  // A page without a view is shown to Chromium once its first load starts,
  // or Chromium throttles it as a hidden page.
  void setShowWhenLoading(bool show) { showWhenLoading_ = show; }
  // Maps the address navigate() is given to the one loaded.
  void setAddressMap(AddressMap map) { addressMap_ = std::move(map); }

  // A page whose renderer grows past this much memory (resident) is given
  // up as too large: loading stops and the session gets an empty document
  // marked cut. Chromium reads a page whole, whatever its size, so this is
  // what bounds a compression bomb or a page of many megabytes.
  static constexpr qint64 kRendererMemoryLimit = qint64{1} << 30;
  void setRendererMemoryLimit(qint64 bytes) { rendererLimit_ = bytes; }

  // After a page has loaded, it is looked at again this often, so many
  // times, while no other load starts: a form the page's scripts add later,
  // or an answer they put into the page instead of loading one, is handed
  // to the session as a completed document when the page's text changed.
  // Only for sessions nobody types into: a page shown to the user is filled
  // once, never again over what the user typed.
  static constexpr int kSettleChecks = 10;
  void setLooksWhileSettling(bool on) { looksWhileSettling_ = on; }
  void setSettleInterval(int milliseconds) { settleInterval_ = milliseconds; }

  bool isClosed() const { return closed_; }
  SessionPage* page() const;
  // Scripts sent to the page whose answer has not come back yet.
  int pendingSnapshots() const { return pendingSnapshots_; }

 signals:
  // Every document of a snapshot has been handed to the session.
  void documentsDelivered();

 private:
  void onLoadingChanged(const QWebEngineLoadingInfo& info);
  void onTitleChanged(const QString& title);
  void onLinkHovered(const QString& url);
  void watchRenderer();
  void giveUpAsTooLarge();
  bool onConsoleMessage(const QString& message);
  // `settleChecksLeft` < 0: a load's snapshot, always handed over; else a
  // later look, handed over only when the page changed.
  void snapshot(const std::vector<int>& path, int settleChecksLeft = -1);
  void scheduleSettleCheck(int left);
  bool current(uint64_t generation, uint64_t load) const {
    return !closed_ && generation == generation_ && load == load_;
  }
  bool isPlaceholderTitle(const QString& title) const;

  QPointer<SessionPage> page_;
  web::BrowserEvents* events_ = nullptr;
  AddressMap addressMap_;
  QTimer* rendererWatch_ = nullptr;
  qint64 rendererLimit_ = kRendererMemoryLimit;
  bool showWhenLoading_ = false;
  bool shown_ = false;
  bool closed_ = false;
  uint64_t generation_ = 0;  // changed by stopLoading(): snapshots on their way are dropped
  uint64_t load_ = 0;        // changed by every page load that starts
  int snapshots_ = 0;
  bool looksWhileSettling_ = false;
  int settleInterval_ = 1000;
  std::size_t pageFingerprint_ = 0;  // of the page's text when last handed over
  int pendingSnapshots_ = 0;
  QString watchToken_;
  QString idBase_;
  std::string title_;

  // The documents being handed over, while documentComplete runs.
  struct Delivered {
    const web::Document* document;
    std::vector<int> path;
    QString id;
  };
  std::vector<Delivered> delivering_;
};

}  // namespace larkspur::webengine
