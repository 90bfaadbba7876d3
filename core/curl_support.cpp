#include "core/curl_support.h"

#include <mutex>

namespace larkspur::core {

bool curlGlobalInit() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ok;
}

bool appendCurlHeader(CurlSlist& list, const char* line) {
  curl_slist* longer = curl_slist_append(list.get(), line);
  if (longer == nullptr) return false;
  (void)list.release();  // `longer` starts with it
  list.reset(longer);
  return true;
}

CurlUrl parsedCurlUrl(const std::string& url, unsigned int flags) {
  CurlUrl handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), flags) != CURLUE_OK) return nullptr;
  return handle;
}

std::optional<std::string> curlUrlPart(CURLU* url, CURLUPart part, unsigned int flags) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  return takeCurlText(text);
}

std::string takeCurlText(char* text) {
  if (text == nullptr) return {};
  std::string result(text);
  curl_free(text);
  return result;
}

}  // namespace larkspur::core
