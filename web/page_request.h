#pragma once
// One request an engine sends to load a page: a plain GET of an address, or
// a form submission.

#include <string>

namespace larkspur::web {

struct PageRequest {
  std::string method = "GET";  // "GET" or "POST"
  std::string url;             // absolute address
  std::string contentType;     // POST: the body's type
  std::string body;            // POST: the encoded form data
  std::string referer;         // the page the request comes from, if any
  // Where the answer goes: empty for the browsing context the click happened
  // in, "_top" for the page itself, else a frame name.
  std::string target;

  bool operator==(const PageRequest&) const = default;
};

}  // namespace larkspur::web
