#pragma once
// The e-mail harvest: a Google search for addresses at a link's host name,
// and a scan of the answer for "@" directly followed by markup ("@<", as the
// result page highlights the searched name) with the host name close behind
// and a short local part of letters, digits and '-' before it, preceded by a
// blank.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "web/page_fetch.h"

namespace larkspur::links {

inline constexpr uint32_t kEmailAnswerCapacity = 262144;
inline constexpr char kEmailQueryTemplate[] = "/search?q=%s&num=100&newwindow=1&start=%d&filter=0";
// Longest local part taken, and the slack after the host name.
inline constexpr std::size_t kEmailWalkLimit = 20;

// The host name searched for: the server in upper case with every "WWW."
// removed, then in lower case.
std::string harvestHostName(std::string_view server);

// The search request for a host name (blanks as "%20"), through the service
// base.
std::string emailSearchUrl(std::string_view hostName);

// The first address the scan finds in an answer: local part + "@" + host
// name. The answer is scanned as bytes from its start.
std::optional<std::string> findEmailInAnswer(std::string_view answer, std::string_view hostName);

// Result codes of harvestEmail.
inline constexpr int kEmailFound = 1;
inline constexpr int kEmailNotFound = 0;
inline constexpr int kEmailFailed = -1;  // no host in the URL, or the search request failed

// Searches for an address at the URL's host. `stop` (the program's stop
// signal) cuts the search request short; without one it ends by itself or
// at its deadline. `email` is written only when one is found.
int harvestEmail(std::string_view url, std::string& email, const web::PageFetchOptions& fetchOptions = {},
                 const core::Event* stop = nullptr);

}  // namespace larkspur::links
