#pragma once
// What counts as a web address. Addresses come from the user and from other
// people's pages; only http and https ones are followed, stored as links or
// written as links into files a browser opens, so that a javascript:, data:
// or file: address never becomes something a click runs.

#include <optional>
#include <string>
#include <string_view>

namespace larkspur::core {

// Whether `url` starts with "http://" or "https://" (in any case), with
// nothing before.
bool isWebAddress(std::string_view url);

// Why `url` cannot be a website's address, or nothing when it can: it must be
// an http or https address with a host name and no blanks or control
// characters in it.
std::optional<std::string> websiteUrlProblem(std::string_view url);

}  // namespace larkspur::core
