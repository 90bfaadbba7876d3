#pragma once
// libcurl for the whole program: its global set-up, done once for the
// process, and owners that give libcurl's handles back when they go out of
// scope.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>

namespace larkspur::core {

// Sets libcurl up (curl_global_init with CURL_GLOBAL_DEFAULT) the first time
// it is called, from whichever thread; every later call waits for that one and
// returns its outcome. False when the set-up failed: no transfer can be made.
bool curlGlobalInit();

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiDeleter {
  void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct CurlUrlDeleter {
  void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
struct CurlSlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// Appends a header line to `list` (a null list starts a new one). False when
// memory ran out; the list is then as it was.
bool appendCurlHeader(CurlSlist& list, const char* line);

// A new URL handle holding `url` parsed with `flags` (CURLU_...); null when
// the text does not parse or memory ran out.
CurlUrl parsedCurlUrl(const std::string& url, unsigned int flags = 0);

// One part of a parsed URL, read with `flags`; nullopt when the URL lacks it.
std::optional<std::string> curlUrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0);

// The text of a string libcurl allocated (an escaped text, a URL part), which
// is freed; empty for null.
std::string takeCurlText(char* text);

}  // namespace larkspur::core
