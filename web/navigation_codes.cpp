#include "web/navigation_codes.h"

namespace larkspur::web {

uint32_t navigationCodeForTransfer(CURLcode code) {
  switch (code) {
    case CURLE_URL_MALFORMAT:
      return kNavInvalidUrl;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kNavUnknownProtocol;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kNavResourceNotFound;
    case CURLE_COULDNT_CONNECT:
      return kNavCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kNavConnectionTimeout;
    case CURLE_TOO_MANY_REDIRECTS:
      return kNavRedirectFailed;
    case CURLE_GOT_NOTHING:
      return kNavDataNotAvailable;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_BAD_CONTENT_ENCODING:
      return kNavDownloadFailure;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return kNavSecurityProblem;
    default:
      return kNavCannotLoadData;
  }
}

}  // namespace larkspur::web
