#pragma once
// A browser engine without a window and without JavaScript, on libcurl and
// the gumbo-built document model: it loads pages, loads the documents of
// their frames, reports document complete, title changes and navigation
// errors as a browser does, and carries out a walk's writes and clicks on its
// own form state (form submissions included). Redirects are followed and
// cookies are kept for as long as the engine lives (one engine per session).
//
// The engine is driven by the thread that owns it: navigate() and carryOut()
// queue loads, runPending() carries them out and delivers the notifications.
// While it waits for the network it calls the idle hook, through which the
// owning thread keeps its timers running; a timer may stop or close the
// engine from there, which abandons the load at once.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/curl_support.h"
#include "web/browser_engine.h"
#include "web/page_request.h"

namespace larkspur::web {

// The agent string of every request, the same as the page fetch's.
inline constexpr char kEngineAgent[] = "Microsoft Internet Explorer";

struct HttpEngineOptions {
  // Longest wait for a connection, name resolution included; a connection
  // that takes longer is reported as "connection timed out". A server that
  // accepts but never answers is left to the session's own time-out.
  std::chrono::milliseconds connectTimeout{30'000};
  long maxRedirects = 20;
  // Bodies are cut at this size, counted as decoded; what arrived is still
  // shown, as a document marked cut.
  std::size_t maxBodyBytes = kMaxPageBytes;
  // Frames inside frames are loaded down to this depth, and at most
  // maxFrames frame documents per page.
  int maxFrameDepth = 3;
  std::size_t maxFrames = 16;
};

class HttpEngine : public BrowserEngine {
 public:
  // Called while the engine waits for the network; returns how long the
  // engine may wait before calling it again (at most 100 ms is waited).
  using IdleHook = std::function<std::chrono::milliseconds()>;

  explicit HttpEngine(HttpEngineOptions options = {});
  ~HttpEngine() override;
  HttpEngine(const HttpEngine&) = delete;
  HttpEngine& operator=(const HttpEngine&) = delete;

  void setEvents(BrowserEvents* events) override { events_ = events; }
  void setIdleHook(IdleHook hook) { idle_ = std::move(hook); }

  void navigate(std::string_view url) override;
  void stopLoading() override;
  void close() override;
  void carryOut(Document& document) override;

  // Whether loads are queued.
  bool hasPending() const { return !queue_.empty() && !closed_; }
  bool isClosed() const { return closed_; }
  // Carries out queued loads, with their notifications, until none is left
  // or the engine is stopped or closed.
  void runPending();

  // The page currently shown (null before the first page arrived).
  const Document* page() const;
  // Requests sent so far, redirects not counted.
  std::size_t requestCount() const { return requests_; }

 private:
  struct Context;
  struct Navigation {
    PageRequest request;
    std::vector<std::size_t> frame;  // path of frame indices from the page; empty: the page
  };
  struct Response;

  Response fetch(const PageRequest& request, uint64_t generation);
  void load(Context& context, const PageRequest& request, int depth, uint64_t generation);
  void loadFrames(Context& context, int depth, uint64_t generation);
  bool current(uint64_t generation) const { return !closed_ && generation == generation_; }
  Context* contextOf(const Document& document, std::vector<std::size_t>& path);
  Context* contextAt(const std::vector<std::size_t>& path);

  HttpEngineOptions options_;
  BrowserEvents* events_ = nullptr;
  IdleHook idle_;
  // The multi handle is declared first so that it outlives the easy one.
  core::CurlMulti multi_;
  core::CurlEasy easy_;
  std::unique_ptr<Context> top_;
  std::deque<Navigation> queue_;
  std::string title_;
  uint64_t generation_ = 0;  // changed by stopLoading(): loads of an older one end
  std::size_t framesThisPage_ = 0;
  std::size_t requests_ = 0;
  bool closed_ = false;
};

}  // namespace larkspur::web
