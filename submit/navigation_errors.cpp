#include "submit/navigation_errors.h"

#include <array>
#include <cstring>

namespace larkspur::submit {

namespace {

struct Row {
  uint8_t code[4];
  char text[kNavigationErrorTextCapacity];
};
static_assert(sizeof(Row) == kNavigationErrorRowSize);
static_assert(alignof(Row) == 1);

template <std::size_t N>
constexpr Row row(uint32_t code, const char (&text)[N]) {
  static_assert(N <= kNavigationErrorTextCapacity, "navigation error text too long");
  Row r{};
  r.code[0] = static_cast<uint8_t>(code);
  r.code[1] = static_cast<uint8_t>(code >> 8);
  r.code[2] = static_cast<uint8_t>(code >> 16);
  r.code[3] = static_cast<uint8_t>(code >> 24);
  for (std::size_t i = 0; i + 1 < N; ++i) r.text[i] = text[i];
  return r;
}

constexpr std::array<Row, 47> kRows = {
    row(400, "Invalid syntax."),
    row(401, "Access denied."),
    row(402, "Payment required."),
    row(403, "Request forbidden."),
    row(404, "Object not found."),
    row(405, "Method is not allowed."),
    row(406, "No response acceptable to client found."),
    row(407, "Proxy authentication required."),
    row(408, "Server timed out waiting for request."),
    row(409, "User should resubmit with more info."),
    row(410, "Resource is no longer available."),
    row(411, "Server refused to accept request without a length."),
    row(412, "Precondition given in request failed."),
    row(413, "Request entity was too large."),
    row(414, "Request Uniform Resource Identifier (URI) too long."),
    row(415, "Unsupported media type."),
    row(449, "Retry after doing the appropriate action."),
    row(500, "Internal server error."),
    row(501, "Server does not support the functionality required to fulfill the request."),
    row(502, "Error response received from gateway."),
    row(503, "Temporarily overloaded."),
    row(504, "Timed out waiting for gateway."),
    row(505, "HTTP version not supported."),
    row(0x800C0002, "URL string is not valid."),
    row(0x800C0003, "No session found."),
    row(0x800C0004, "Unable to connect to server."),
    row(0x800C0005, "Requested resource is not found."),
    row(0x800C0006, "Requested object is not found."),
    row(0x800C0007, "Requested data is not available."),
    row(0x800C0008, "Failure occurred during download."),
    row(0x800C0009, "Requested navigation requires authentication."),
    row(0x800C000A, "Required media not available or valid."),
    row(0x800C000B, "Connection timed out."),
    row(0x800C000C, "Request is invalid."),
    row(0x800C000D, "Protocol is not recognized."),
    row(0x800C000E, "Navigation request has encountered a security issue."),
    row(0x800C000F, "Unable to load data from the server."),
    row(0x800C0010, "Unable to create an instance of the object."),
    row(0x800C0014, "Attempt to redirect the navigation failed."),
    row(0x800C0015, "Navigation redirected to a directory."),
    row(0x800C0016, "Unable to lock request with the server."),
    row(0x800C0017, "Reissue request with extended binding."),
    row(0x800C0018, "Binding is terminated."),
    row(0x800C0100, "Permission to download is declined."),
    row(0x800C0200, "Result is dispatched."),
    row(0x800C0300, "Cannot replace a protected System File Protection (SFP) file."),
    row(0, ""),
};

}  // namespace

std::span<const uint8_t> navigationErrorTable() {
  return {reinterpret_cast<const uint8_t*>(kRows.data()), sizeof(kRows)};
}

std::optional<std::string_view> lookupNavigationError(std::span<const uint8_t> table, uint32_t code) {
  for (std::size_t offset = 0; offset + kNavigationErrorRowSize <= table.size();
       offset += kNavigationErrorRowSize) {
    const uint8_t* rowBytes = table.data() + offset;
    uint32_t rowCode = static_cast<uint32_t>(rowBytes[0]) | static_cast<uint32_t>(rowBytes[1]) << 8 |
                       static_cast<uint32_t>(rowBytes[2]) << 16 |
                       static_cast<uint32_t>(rowBytes[3]) << 24;
    if (rowCode == 0) break;
    if (rowCode != code) continue;
    const char* text = reinterpret_cast<const char*>(rowBytes + 4);
    // A row's text is NUL-padded; one that fills its field is cut at the
    // field's end rather than read past it.
    const void* nul = std::memchr(text, 0, kNavigationErrorTextCapacity);
    std::size_t length = nul ? static_cast<const char*>(nul) - text : kNavigationErrorTextCapacity - 1;
    return std::string_view(text, length);
  }
  return std::nullopt;
}

std::optional<std::string_view> navigationErrorText(uint32_t code) {
  return lookupNavigationError(navigationErrorTable(), code);
}

bool navigationErrorText(uint32_t code, char* destination) {
  std::optional<std::string_view> text = navigationErrorText(code);
  if (!text) return false;
  std::memset(destination, 0, kNavigationErrorTextCapacity);
  std::memcpy(destination, text->data(), text->size());
  return true;
}

std::optional<std::string_view> navigationErrorCause(uint32_t code) {
  if (code == 0x800C0005) return std::string_view("host name not found");
  return std::nullopt;
}

std::optional<std::string> navigationErrorMessage(uint32_t code) {
  const std::optional<std::string_view> text = navigationErrorText(code);
  if (!text) return std::nullopt;
  std::string message(*text);
  const std::optional<std::string_view> cause = navigationErrorCause(code);
  if (cause && message.size() + cause->size() + 3 < kNavigationErrorTextCapacity) {
    message += " (" + std::string(*cause) + ")";
  }
  return message;
}

}  // namespace larkspur::submit
