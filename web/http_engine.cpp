#include "web/http_engine.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "core/ascii_text.h"
#include "core/web_address.h"
#include "web/click_request.h"
#include "web/html_parser.h"
#include "web/navigation_codes.h"
#include "web/transfer_setup.h"
#include "web/url_resolve.h"

namespace larkspur::web {

namespace {

constexpr std::chrono::milliseconds kLongestWait{100};
constexpr std::chrono::milliseconds kShortestWait{1};

// Answers that are not markup (images, downloads) show no elements.
bool isMarkup(std::string_view contentType) {
  if (contentType.empty()) return true;
  const std::string low = core::asciiLower(contentType);
  return low.find("html") != std::string::npos || low.find("xml") != std::string::npos ||
         low.rfind("text/", 0) == 0;
}

struct BodySink {
  std::string* body;
  std::size_t capacity;
  CURL* handle;
  bool cut = false;
};

size_t onBody(char* data, size_t size, size_t count, void* userdata) {
  auto* sink = static_cast<BodySink*>(userdata);
  const size_t length = size * count;
  if (sink->body->empty()) {
    // Room for what the server announces (within the limit) at once, rather
    // than doubling up to twice the page's size.
    curl_off_t announced = -1;
    curl_easy_getinfo(sink->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0) sink->body->reserve(std::min<std::size_t>(static_cast<std::size_t>(announced), sink->capacity));
  }
  const std::size_t room = sink->capacity - std::min(sink->capacity, sink->body->size());
  if (length > room) {
    sink->body->append(data, room);
    sink->cut = true;
    return 0;
  }
  sink->body->append(data, length);
  return length;
}

// Pages this large are parsed one at a time in the whole process: parsing
// takes several times a page's size for a moment, and a batch's five
// sessions meeting five such pages at once would add that up.
constexpr std::size_t kLargePage = 256 * 1024;

class LargePageGate {
 public:
  // Waits for the gate in steps of at most 100 ms, calling `keepGoing`
  // between them; false when it said to give up.
  bool enter(const std::function<bool()>& keepGoing) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (busy_) {
      cv_.wait_for(lock, kLongestWait);
      if (busy_) {
        lock.unlock();
        const bool go = keepGoing();
        lock.lock();
        if (!go) return false;
      }
    }
    busy_ = true;
    return true;
  }
  void leave() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
    }
    cv_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool busy_ = false;
};

LargePageGate& largePageGate() {
  static LargePageGate gate;
  return gate;
}

}  // namespace

struct HttpEngine::Context {
  Context* parent = nullptr;
  std::string name;  // the frame's name; empty for the page
  std::unique_ptr<Document> document;
  std::vector<std::unique_ptr<Context>> frames;
};

struct HttpEngine::Response {
  CURLcode code = CURLE_OK;
  bool aborted = false;
  bool cut = false;  // the body passed maxBodyBytes: only its beginning is here
  long status = 0;
  std::string url;
  std::string contentType;
  std::string body;
};

HttpEngine::HttpEngine(HttpEngineOptions options)
    : options_(options), top_(std::make_unique<Context>()) {
  core::curlGlobalInit();
  easy_.reset(curl_easy_init());
  multi_.reset(curl_multi_init());
  // The handle's cookie store lives as long as the engine: cookies set by
  // one page go with every later request of the session.
  if (easy_) curl_easy_setopt(easy_.get(), CURLOPT_COOKIEFILE, "");
}

HttpEngine::~HttpEngine() = default;

void HttpEngine::navigate(std::string_view url) {
  if (closed_) return;
  PageRequest request;
  request.url.assign(url);
  queue_.push_back({std::move(request), {}});
}

void HttpEngine::stopLoading() {
  ++generation_;
  queue_.clear();
}

void HttpEngine::close() {
  closed_ = true;
  stopLoading();
}

const Document* HttpEngine::page() const { return top_->document.get(); }

HttpEngine::Context* HttpEngine::contextOf(const Document& document, std::vector<std::size_t>& path) {
  struct Item {
    Context* context;
    std::vector<std::size_t> path;
  };
  std::vector<Item> stack{{top_.get(), {}}};
  while (!stack.empty()) {
    Item item = std::move(stack.back());
    stack.pop_back();
    if (item.context->document.get() == &document) {
      path = std::move(item.path);
      return item.context;
    }
    for (std::size_t i = 0; i < item.context->frames.size(); ++i) {
      std::vector<std::size_t> sub = item.path;
      sub.push_back(i);
      stack.push_back({item.context->frames[i].get(), std::move(sub)});
    }
  }
  return nullptr;
}

HttpEngine::Context* HttpEngine::contextAt(const std::vector<std::size_t>& path) {
  Context* context = top_.get();
  for (const std::size_t i : path) {
    if (i >= context->frames.size()) return nullptr;
    context = context->frames[i].get();
  }
  return context;
}

void HttpEngine::carryOut(Document& document) {
  // Values and selections are already in the document, which is this
  // engine's form state; only clicks remain to be done.
  std::optional<PageRequest> request;
  for (const PageAction& action : document.actions()) {
    if (action.kind != PageAction::Kind::kClick) continue;
    // A later click replaces a navigation an earlier one planned.
    if (auto r = requestForClick(document, action.element)) request = std::move(r);
  }
  document.clearActions();
  if (closed_ || !request) return;

  std::vector<std::size_t> path;
  if (!contextOf(document, path)) return;
  const std::string target = core::asciiLower(request->target);
  if (target == "_top") {
    path.clear();
  } else if (target == "_parent") {
    if (!path.empty()) path.pop_back();
  } else if (!target.empty() && target != "_self") {
    // A named frame of this page, else a new window, which is refused.
    std::vector<std::pair<Context*, std::vector<std::size_t>>> stack{{top_.get(), {}}};
    bool found = false;
    while (!stack.empty() && !found) {
      auto [context, at] = std::move(stack.back());
      stack.pop_back();
      for (std::size_t i = 0; i < context->frames.size(); ++i) {
        std::vector<std::size_t> sub = at;
        sub.push_back(i);
        if (core::asciiLower(context->frames[i]->name) == target) {
          path = sub;
          found = true;
          break;
        }
        stack.push_back({context->frames[i].get(), std::move(sub)});
      }
    }
    if (!found) return;
  }
  queue_.push_back({std::move(*request), std::move(path)});
}

void HttpEngine::runPending() {
  while (!closed_ && !queue_.empty()) {
    Navigation navigation = std::move(queue_.front());
    queue_.pop_front();
    Context* context = contextAt(navigation.frame);
    if (!context) continue;
    if (navigation.frame.empty()) framesThisPage_ = 0;
    load(*context, navigation.request, static_cast<int>(navigation.frame.size()), generation_);
  }
}

HttpEngine::Response HttpEngine::fetch(const PageRequest& request, uint64_t generation) {
  Response response;
  CURL* h = easy_.get();
  CURLM* multi = multi_.get();
  if (!h || !multi) {
    response.code = CURLE_FAILED_INIT;
    return response;
  }
  // Every option a request depends on is set again below, so nothing of the
  // previous request carries over but the cookies and the connection.
  BodySink sink{&response.body, options_.maxBodyBytes, h};
  core::CurlSlist headers;
  core::appendCurlHeader(headers, "Accept: text/html, application/xhtml+xml, */*");
  if (request.method == "POST" && !request.contentType.empty()) {
    const std::string line = "Content-Type: " + request.contentType;
    core::appendCurlHeader(headers, line.c_str());
  }
  applyTransferSetup(h, request.url, TransferSetup{kEngineAgent, options_.connectTimeout, options_.maxRedirects});
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  // What browsers of the targets' era accept; curl decodes it.
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(h, CURLOPT_AUTOREFERER, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(h, CURLOPT_REFERER, request.referer.empty() ? nullptr : request.referer.c_str());
  if (request.method == "POST") {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }

  curl_multi_add_handle(multi, h);
  bool done = false;
  while (true) {
    int running = 0;
    curl_multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == h) {
        done = true;
        response.code = message->data.result;
      }
    }
    if (done) break;
    std::chrono::milliseconds wait = kLongestWait;
    if (idle_) wait = std::clamp(idle_(), kShortestWait, kLongestWait);
    if (!current(generation)) {
      response.aborted = true;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
  }
  curl_multi_remove_handle(multi, h);
  if (response.aborted) return response;

  // The limit counts the bytes as decoded (curl decodes a Content-Encoding
  // before they reach the sink), so a small compressed answer that expands
  // without end is stopped there too.
  response.cut = sink.cut;
  if (response.code == CURLE_WRITE_ERROR && sink.cut) response.code = CURLE_OK;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
  char* effective = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) response.url = effective;
  if (response.url.empty()) response.url = request.url;
  char* type = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) response.contentType = type;
  return response;
}

void HttpEngine::load(Context& context, const PageRequest& request, int depth, uint64_t generation) {
  if (events_) events_->navigationStarting(request.url);
  if (!current(generation)) return;
  ++requests_;
  Response response = fetch(request, generation);
  if (response.aborted || !current(generation)) return;
  const LoadScope scope = context.parent ? LoadScope::kFrame : LoadScope::kPage;
  if (response.code != CURLE_OK) {
    if (events_) events_->navigationError(request.url, context.name, navigationCodeForTransfer(response.code), scope);
    return;
  }
  if (response.status >= 400) {
    // The server's own page is still shown, as in a browser.
    if (events_) events_->navigationError(response.url, context.name, static_cast<uint32_t>(response.status), scope);
    if (!current(generation)) return;
  }

  const std::string_view body = isMarkup(response.contentType) ? std::string_view(response.body) : std::string_view();
  const bool large = body.size() > kLargePage;
  if (large) {
    // Waiting keeps the owner's timers running; a stop or close ends it.
    const bool entered = largePageGate().enter([this, generation] {
      if (idle_) idle_();
      return current(generation);
    });
    if (!entered) return;
  }
  // The page the document replaces goes first, so two are never held at once.
  context.frames.clear();
  context.document.reset();
  context.document = std::make_unique<Document>(parseHtml(body, response.url, response.contentType));
  if (large) largePageGate().leave();
  std::string().swap(response.body);
  if (response.cut) context.document->markCut();
  if (!context.parent) {
    const std::string title = context.document->title();
    if (!title.empty() && title != title_) {
      title_ = title;
      if (events_) events_->titleChange(title);
      if (!current(generation)) return;
    }
  }
  loadFrames(context, depth, generation);
  if (!current(generation)) return;
  if (events_) events_->documentComplete(*context.document);
}

void HttpEngine::loadFrames(Context& context, int depth, uint64_t generation) {
  if (depth >= options_.maxFrameDepth) return;
  const Document& document = *context.document;
  for (const Element& e : document.elements()) {
    if (e.tag != "FRAME" && e.tag != "IFRAME") continue;
    if (e.src.empty() || !core::isWebAddress(e.src)) continue;
    if (framesThisPage_ >= options_.maxFrames) return;
    ++framesThisPage_;
    auto frame = std::make_unique<Context>();
    frame->parent = &context;
    frame->name = e.name;
    Context& child = *frame;
    context.frames.push_back(std::move(frame));
    PageRequest request;
    request.url = e.src;
    request.referer = document.url();
    load(child, request, depth + 1, generation);
    if (!current(generation)) return;
  }
}

}  // namespace larkspur::web
