#include "web/transfer_setup.h"

namespace larkspur::web {

CURLcode applyTransferSetup(CURL* handle, const std::string& url, const TransferSetup& setup) {
  CURLcode result = CURLE_OK;
  auto set = [&result](CURLcode code) {
    if (result == CURLE_OK) result = code;
  };
  set(curl_easy_setopt(handle, CURLOPT_URL, url.c_str()));
  set(curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https"));
  const bool secure = setup.keepTls && url.starts_with("https:");
  set(curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https"));
  set(curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, setup.maxRedirects > 0 ? 1L : 0L));
  set(curl_easy_setopt(handle, CURLOPT_MAXREDIRS, setup.maxRedirects));
  set(curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(setup.connectTimeout.count())));
  set(curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(setup.totalTimeout.count())));
  set(curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(handle, CURLOPT_USERAGENT, setup.agent.c_str()));
  return result;
}

}  // namespace larkspur::web
