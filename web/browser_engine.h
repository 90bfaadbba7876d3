#pragma once
// What a submission session needs of a browser, whichever engine hosts the
// pages: load an address, stop loading, close, and carry out the writes and
// clicks a walk recorded on a document; and the notifications the engine
// gives back while pages load. The HTTP engine (http_engine.h) implements it
// without a window; the desktop program's engine implements it on real pages.

#include <cstdint>
#include <string>
#include <string_view>

#include "web/document.h"

namespace larkspur::web {

// What a failed load was for: the page itself (a failure there means nothing
// of the page is shown) or one of the page's frames.
enum class LoadScope { kPage, kFrame };

// The receiver of an engine's notifications. The engine calls it on the
// thread the engine runs on; the receiver may call back into the engine
// (carryOut, stopLoading, close, navigate) from inside a notification.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  // A navigation to `url` begins (also for frames and form submissions).
  virtual void navigationStarting(const std::string& url) { (void)url; }
  // A document has completed loading: once for every frame's document, then
  // once for the page that holds them. The document stays valid until the
  // notification returns; writes and clicks made through it are carried out
  // by carryOut().
  virtual void documentComplete(Document& document) = 0;
  // The page's title differs from the one shown before.
  virtual void titleChange(const std::string& title) = 0;
  // Loading `url` failed: `code` is the HTTP status (400 and above) or one of
  // the 0x800C00xx navigation codes (navigation_codes.h). `frame` names the
  // frame the address was loaded into (empty for the page itself, and for a
  // frame without a name); `scope` tells the page from its frames. An HTTP
  // error status still shows the server's page afterwards.
  virtual void navigationError(const std::string& url, const std::string& frame, uint32_t code,
                               LoadScope scope) = 0;
  // The engine's status text changed (link addresses under the pointer and
  // the like). Engines without a status line never call it.
  virtual void statusTextChange(const std::string& text) { (void)text; }
};

class BrowserEngine {
 public:
  virtual ~BrowserEngine() = default;
  virtual void setEvents(BrowserEvents* events) = 0;
  // Starts loading `url` as the page.
  virtual void navigate(std::string_view url) = 0;
  // Abandons whatever is loading; pages already shown stay.
  virtual void stopLoading() = 0;
  // Stops loading for good: no notification follows, later calls do nothing.
  virtual void close() = 0;
  // Carries out the actions recorded on `document` (one this engine handed
  // out in documentComplete) in order, then clears them: values and
  // selections go into the page's form state, a click does what clicking
  // that element does in a browser (submit its form, follow its link).
  virtual void carryOut(Document& document) = 0;
};

}  // namespace larkspur::web
