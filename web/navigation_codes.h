#pragma once
// The navigation error codes an engine reports when a page cannot be loaded
// at all (an HTTP error status is reported as the status itself), and how the
// HTTP engine's transport failures map onto them.

#include <curl/curl.h>

#include <cstdint>

namespace larkspur::web {

inline constexpr uint32_t kNavInvalidUrl = 0x800C0002;         // "URL string is not valid."
inline constexpr uint32_t kNavNoSession = 0x800C0003;
inline constexpr uint32_t kNavCannotConnect = 0x800C0004;      // "Unable to connect to server."
inline constexpr uint32_t kNavResourceNotFound = 0x800C0005;   // server name not found
inline constexpr uint32_t kNavObjectNotFound = 0x800C0006;
inline constexpr uint32_t kNavDataNotAvailable = 0x800C0007;   // the server sent nothing
inline constexpr uint32_t kNavDownloadFailure = 0x800C0008;    // the answer broke off
inline constexpr uint32_t kNavConnectionTimeout = 0x800C000B;  // "Connection timed out."
inline constexpr uint32_t kNavInvalidRequest = 0x800C000C;
inline constexpr uint32_t kNavUnknownProtocol = 0x800C000D;    // "Protocol is not recognized."
inline constexpr uint32_t kNavSecurityProblem = 0x800C000E;    // TLS failures
inline constexpr uint32_t kNavCannotLoadData = 0x800C000F;     // any other failure
inline constexpr uint32_t kNavRedirectFailed = 0x800C0014;     // too many redirects

// The navigation code for a failed transfer.
uint32_t navigationCodeForTransfer(CURLcode code);

}  // namespace larkspur::web
