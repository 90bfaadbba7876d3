#include "web/url_resolve.h"

#include <cctype>
#include <optional>

#include "core/ascii_text.h"
#include "core/curl_support.h"

namespace larkspur::web {

namespace {

using core::curlUrlPart;

constexpr unsigned kSetFlags = CURLU_NON_SUPPORT_SCHEME;

// Drops leading and trailing C0 controls and spaces, and every tab, CR and LF.
std::string clean(std::string_view reference) {
  std::size_t b = 0, e = reference.size();
  while (b < e && static_cast<unsigned char>(reference[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(reference[e - 1]) <= 0x20) --e;
  std::string out;
  out.reserve(e - b);
  for (std::size_t i = b; i < e; ++i) {
    const char c = reference[i];
    if (c != '\t' && c != '\r' && c != '\n') out += c;
  }
  return out;
}

// Percent-encodes what a browser encodes in an address: controls, space,
// quotes, angle brackets, backquote, braces and every non-ASCII byte.
std::string encode(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`' || c == '{' ||
        c == '}') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

// The scheme of a reference in lower case, or empty when it has none.
std::string schemeOf(std::string_view ref) {
  if (ref.empty() || !std::isalpha(static_cast<unsigned char>(ref[0]))) return {};
  for (std::size_t i = 1; i < ref.size(); ++i) {
    const auto c = static_cast<unsigned char>(ref[i]);
    if (c == ':') {
      return core::asciiLower(ref.substr(0, i));
    }
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

bool isHierarchical(const std::string& scheme) {
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

// Removes "." and ".." segments from an absolute path.
std::string removeDotSegments(std::string_view path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    // path[i] is '/' here; take the segment after it.
    std::size_t next = path.find('/', i + 1);
    if (next == std::string_view::npos) next = path.size();
    const std::string_view segment = path.substr(i + 1, next - i - 1);
    const bool last = next == path.size();
    if (segment == ".") {
      if (last) out += '/';
    } else if (segment == "..") {
      const std::size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
      if (last) out += '/';
    } else {
      out += '/';
      out.append(segment);
    }
    i = next;
  }
  return out.empty() ? "/" : out;
}

// Lower-cases the host of the address held by `h` and returns the address.
std::optional<std::string> finish(CURLU* h) {
  if (auto host = curlUrlPart(h, CURLUPART_HOST)) {
    const std::string lower = core::asciiLower(*host);
    if (lower != *host) curl_url_set(h, CURLUPART_HOST, lower.c_str(), 0);
  }
  return curlUrlPart(h, CURLUPART_URL, CURLU_NO_DEFAULT_PORT);
}

std::optional<std::string> canonical(const std::string& absolute) {
  const core::CurlUrl h = core::parsedCurlUrl(absolute, kSetFlags);
  if (!h) return std::nullopt;
  // curl keeps dot segments of a path it is given whole; clean them here.
  if (auto path = curlUrlPart(h.get(), CURLUPART_PATH)) {
    const std::string cleaned = removeDotSegments(*path);
    if (cleaned != *path) curl_url_set(h.get(), CURLUPART_PATH, cleaned.c_str(), 0);
  }
  return finish(h.get());
}

}  // namespace

std::string resolveUrl(std::string_view base, std::string_view reference) {
  const std::string cleaned = clean(reference);
  const std::string scheme = schemeOf(cleaned);
  if (!scheme.empty() && !isHierarchical(scheme)) return cleaned;

  const std::string ref = encode(cleaned);
  if (!scheme.empty()) return canonical(ref).value_or(ref);

  const core::CurlUrl h = core::parsedCurlUrl(std::string(base), kSetFlags);
  if (!h) return ref;
  if (ref.rfind("//", 0) == 0) {
    const auto base_scheme = curlUrlPart(h.get(), CURLUPART_SCHEME);
    return canonical(base_scheme.value_or("http") + ":" + ref).value_or(ref);
  }

  // Split the reference into path, query and fragment.
  std::string_view rest = ref;
  std::optional<std::string> fragment, query;
  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    fragment = std::string(rest.substr(hash + 1));
    rest = rest.substr(0, hash);
  }
  if (const std::size_t q = rest.find('?'); q != std::string_view::npos) {
    query = std::string(rest.substr(q + 1));
    rest = rest.substr(0, q);
  }
  const std::string base_path = curlUrlPart(h.get(), CURLUPART_PATH).value_or("/");

  std::string path;
  if (rest.empty()) {
    path = base_path;
    if (!query) query = curlUrlPart(h.get(), CURLUPART_QUERY);
  } else if (rest.front() == '/') {
    path = removeDotSegments(rest);
  } else {
    const std::size_t slash = base_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "/" : base_path.substr(0, slash + 1);
    path = removeDotSegments(dir + std::string(rest));
  }

  // The origin of the base ("http://host:port"), then the new path, query and
  // fragment. The address is put together as text and parsed whole, because
  // curl rewrites percent-escapes in a path that is set on its own.
  curl_url_set(h.get(), CURLUPART_PATH, "/", 0);
  curl_url_set(h.get(), CURLUPART_QUERY, nullptr, 0);
  curl_url_set(h.get(), CURLUPART_FRAGMENT, nullptr, 0);
  std::string absolute = curlUrlPart(h.get(), CURLUPART_URL).value_or("");
  if (absolute.empty() || absolute.back() != '/') return ref;
  absolute.pop_back();
  absolute += path;
  if (query) absolute += "?" + *query;
  if (fragment) absolute += "#" + *fragment;
  return canonical(absolute).value_or(absolute);
}

}  // namespace larkspur::web
