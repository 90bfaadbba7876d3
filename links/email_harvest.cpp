#include "links/email_harvest.h"

#include <vector>

#include "core/ascii_text.h"
#include "core/event.h"
#include "core/service_hosts.h"
#include "core/website_profile.h"
#include "links/back_link_engines.h"

namespace larkspur::links {

namespace {

bool isLocalPartCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

std::string harvestHostName(std::string_view server) {
  const std::string upper = core::asciiUpper(server);
  std::string without;
  for (std::size_t i = 0; i < upper.size();) {
    if (upper.compare(i, 4, "WWW.") == 0) {
      i += 4;
      continue;
    }
    without += upper[i++];
  }
  return core::asciiLower(without);
}

std::string emailSearchUrl(std::string_view hostName) {
  std::string escaped;
  for (char c : hostName) {
    if (c == ' ') escaped += "%20";
    else escaped += c;
  }
  return core::serviceUrl(core::Service::GoogleSearch, fillQueryTemplate(kEmailQueryTemplate, escaped, 0));
}

std::optional<std::string> findEmailInAnswer(std::string_view answer, std::string_view hostName) {
  for (std::size_t at = answer.find('@'); at != std::string_view::npos; at = answer.find('@', at + 1)) {
    if (at + 1 >= answer.size() || answer[at + 1] != '<') continue;
    const std::size_t windowEnd = at + 1 + hostName.size() + kEmailWalkLimit;
    if (windowEnd > answer.size()) continue;
    if (!core::asciiContainsNoCase(answer.substr(at + 1, windowEnd - at - 1), hostName)) continue;

    // Walk back over the local part: a blank ends it, and it must hold 2 to
    // 20 letters, digits or '-'.
    std::size_t count = 0;
    std::size_t k = at;
    while (k > 0) {
      const char c = answer[k - 1];
      if (c == ' ') {
        if (count >= 2) return std::string(answer.substr(k, count)) + "@" + std::string(hostName);
        break;
      }
      if (count == kEmailWalkLimit || !isLocalPartCharacter(c)) break;
      ++count;
      --k;
    }
  }
  return std::nullopt;
}

int harvestEmail(std::string_view url, std::string& email, const web::PageFetchOptions& fetchOptions,
                 const core::Event* stop) {
  const std::string server = core::hostOfUrl(url);
  if (server.empty()) return kEmailFailed;
  const std::string hostName = harvestHostName(server);

  std::vector<char> answer(kEmailAnswerCapacity);
  char errorText[web::kFetchErrorTextCapacity] = {};
  uint32_t received = 0;
  const core::Event ownStop;
  const int32_t fetched = web::pageFetch(emailSearchUrl(hostName), answer.data(), kEmailAnswerCapacity,
                                            received, errorText, stop ? *stop : ownStop, fetchOptions);
  if (fetched != web::kFetchComplete) return kEmailFailed;

  std::optional<std::string> found = findEmailInAnswer(std::string_view(answer.data(), received), hostName);
  if (!found) return kEmailNotFound;
  email = *found;
  return kEmailFound;
}

}  // namespace larkspur::links
