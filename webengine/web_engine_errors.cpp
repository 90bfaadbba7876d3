#include "webengine/web_engine_errors.h"

#include <QString>
#include <QUrl>
#include <algorithm>
#include <initializer_list>

#include "web/navigation_codes.h"

namespace larkspur::webengine {

namespace {

// Chromium's network error numbers (net/base/net_error_list.h) that matter
// here.
enum NetError : int {
  kAborted = -3,
  kTimedOut = -7,
  kConnectionClosed = -100,
  kConnectionReset = -101,
  kConnectionRefused = -102,
  kConnectionAborted = -103,
  kConnectionFailed = -104,
  kNameNotResolved = -105,
  kInternetDisconnected = -106,
  kAddressInvalid = -108,
  kAddressUnreachable = -109,
  kSslProtocolError = -107,
  kSslClientAuthCertNeeded = -110,
  kTunnelConnectionFailed = -111,
  kNoSslVersionsEnabled = -112,
  kSslVersionOrCipherMismatch = -113,
  kSslRenegotiationRequested = -114,
  kProxyAuthUnsupported = -115,
  kBadSslClientAuthCert = -117,
  kConnectionTimedOut = -118,
  kSocksConnectionFailed = -120,
  kSocksHostUnreachable = -121,
  kProxyConnectionFailed = -130,
  kNameResolutionFailed = -137,
  kNetworkAccessDenied = -138,
  kInvalidUrl = -300,
  kDisallowedUrlScheme = -301,
  kUnknownUrlScheme = -302,
  kTooManyRedirects = -310,
  kUnsafeRedirect = -311,
  kUnsafePort = -312,
  kInvalidResponse = -320,
  kEmptyResponse = -324,
  kContentDecodingFailed = -330,
  kIncompleteChunkedEncoding = -355,
  kDnsTimedOut = -803,
};

// The navigation code of a failed load, with the errors that give it.
struct NetErrorGroup {
  uint32_t navigationCode;
  std::initializer_list<int> errors;
};

const NetErrorGroup kNetErrorGroups[] = {
    {0, {0, kAborted}},
    {web::kNavInvalidUrl, {kInvalidUrl, kAddressInvalid}},
    {web::kNavUnknownProtocol, {kDisallowedUrlScheme, kUnknownUrlScheme}},
    {web::kNavResourceNotFound, {kNameNotResolved, kNameResolutionFailed, kDnsTimedOut}},
    // Chromium will not connect to an unsafe port at all.
    {web::kNavCannotConnect,
     {kConnectionRefused, kConnectionFailed, kAddressUnreachable, kInternetDisconnected, kNetworkAccessDenied,
      kUnsafePort, kTunnelConnectionFailed, kProxyAuthUnsupported, kSocksConnectionFailed, kSocksHostUnreachable,
      kProxyConnectionFailed}},
    {web::kNavSecurityProblem,
     {kSslProtocolError, kSslClientAuthCertNeeded, kNoSslVersionsEnabled, kSslVersionOrCipherMismatch,
      kSslRenegotiationRequested, kBadSslClientAuthCert}},
    {web::kNavConnectionTimeout, {kTimedOut, kConnectionTimedOut}},
    {web::kNavRedirectFailed, {kTooManyRedirects, kUnsafeRedirect}},
    {web::kNavDataNotAvailable, {kEmptyResponse}},
    {web::kNavDownloadFailure,
     {kConnectionClosed, kConnectionReset, kConnectionAborted, kInvalidResponse, kContentDecodingFailed,
      kIncompleteChunkedEncoding}},
};

}  // namespace

uint32_t navigationCodeForLoad(LoadErrorDomain domain, int code) {
  if (domain == LoadErrorDomain::kNone) return 0;
  if (domain == LoadErrorDomain::kHttpStatusCode) return code >= 400 ? static_cast<uint32_t>(code) : 0;
  if (domain == LoadErrorDomain::kCertificate) return web::kNavSecurityProblem;
  for (const NetErrorGroup& group : kNetErrorGroups) {
    if (std::find(group.errors.begin(), group.errors.end(), code) != group.errors.end()) return group.navigationCode;
  }
  // Chromium numbers its certificate failures from -200 to -299.
  if (code <= -200 && code >= -299) return web::kNavSecurityProblem;
  return web::kNavCannotLoadData;
}

uint32_t navigationCodeForAddress(std::string_view url) {
  const QUrl address(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())), QUrl::StrictMode);
  if (!address.isValid() || address.isRelative()) return web::kNavInvalidUrl;
  const QString scheme = address.scheme().toLower();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
    return address.host().isEmpty() ? web::kNavInvalidUrl : 0;
  }
  if (scheme == QLatin1String("file") || scheme == QLatin1String("about") || scheme == QLatin1String("data")) {
    return 0;
  }
  return web::kNavUnknownProtocol;
}

}  // namespace larkspur::webengine
