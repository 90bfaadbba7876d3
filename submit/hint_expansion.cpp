#include "submit/hint_expansion.h"

#include "core/fixed_text.h"

namespace larkspur::submit {

std::string encodeUrlForHint(std::string_view url) {
  std::string out;
  out.reserve(url.size() * 3);
  for (const char c : url) {
    switch (c) {
      case ' ': out += "%20"; break;
      case ':': out += "%3A"; break;
      case '/': out += "%2F"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string expandSubmitHint(std::string_view hint, std::string_view url) {
  static constexpr std::string_view kPlaceholder = "%URL%";
  std::string result;
  const std::size_t at = hint.find(kPlaceholder);
  if (at == std::string_view::npos) {
    result.assign(hint);
  } else {
    result.assign(hint.substr(0, at));
    result += encodeUrlForHint(url);
    result.append(hint.substr(at + kPlaceholder.size()));
  }
  result.resize(core::fittingLength(result, kExpandedHintCapacity));
  return result;
}

}  // namespace larkspur::submit
