#pragma once
// How the outcome of a page load in Qt WebEngine becomes the navigation code
// a submission session decides on: an HTTP error status is reported as the
// status itself (400 and above), a failed connection, name look-up, time-out,
// bad address and the like as the matching 0x800C00xx code. Loads that were
// merely abandoned (stopped, replaced by another navigation) are no error.

#include <cstdint>
#include <string_view>

namespace larkspur::webengine {

// The error domains of QWebEngineLoadingInfo::ErrorDomain, by value.
enum class LoadErrorDomain : int {
  kNone = 0,
  kInternal = 1,
  kConnection = 2,
  kCertificate = 3,
  kHttp = 4,
  kFtp = 5,
  kDns = 6,
  kHttpStatusCode = 7,
};

// The navigation code of a failed load, or 0 when the load did not fail in a
// way a session hears of (an abandoned load, an HTTP status below 400).
uint32_t navigationCodeForLoad(LoadErrorDomain domain, int code);

// The code for an address the engine refuses before loading anything: not a
// URL (kNavInvalidUrl), a scheme pages cannot be loaded by
// (kNavUnknownProtocol); 0 when the address can be loaded.
uint32_t navigationCodeForAddress(std::string_view url);

}  // namespace larkspur::webengine
