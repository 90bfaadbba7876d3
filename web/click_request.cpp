#include "web/click_request.h"

#include <random>

#include "core/ascii_text.h"
#include "core/web_address.h"
#include "web/charset_encode.h"
#include "web/form_data.h"
#include "web/url_resolve.h"

namespace larkspur::web {

namespace {

std::string lowerTrimmed(std::string_view text) { return core::asciiLower(core::asciiTrimmed(text, core::kHtmlBlanks)); }

// The attribute of the submitter when it has it, else the form's.
const std::string* overridden(const Document& doc, std::size_t form, std::optional<std::size_t> submitter,
                              std::string_view submitterAttr, std::string_view formAttr) {
  if (submitter) {
    if (const std::string* v = doc.at(*submitter).attribute(submitterAttr)) return v;
  }
  return doc.at(form).attribute(formAttr);
}

// The address relative references of the page are resolved against: the
// page's BASE address when it has one.
std::string baseAddress(const Document& doc) {
  for (const Element& e : doc.elements()) {
    if (e.tag == "BASE" && !e.href.empty()) return e.href;
  }
  return doc.url();
}

std::string randomBoundary() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  static const char kHex[] = "0123456789abcdef";
  std::string out = "----LarkspurFormBoundary";
  const uint64_t bits = generator();
  for (int i = 0; i < 16; ++i) out += kHex[(bits >> (i * 4)) & 15];
  return out;
}

// The address with its query replaced by `query` (the fragment kept).
std::string withQuery(const std::string& url, const std::string& query) {
  const std::size_t hash = url.find('#');
  std::string head = url.substr(0, hash);
  const std::string fragment = hash == std::string::npos ? std::string() : url.substr(hash);
  const std::size_t question = head.find('?');
  if (question != std::string::npos) head.resize(question);
  return head + "?" + query + fragment;
}

bool submits(const Element& e) {
  if (e.tag == "INPUT") return e.type == "SUBMIT" || e.type == "IMAGE";
  return e.tag == "BUTTON" && e.type == "SUBMIT";
}

}  // namespace

std::optional<PageRequest> formSubmission(const Document& doc, std::size_t form,
                                          std::optional<std::size_t> submitter,
                                          std::string_view boundary) {
  if (form >= doc.size() || doc.at(form).tag != "FORM") return std::nullopt;
  const std::string* action = overridden(doc, form, submitter, "formaction", "action");
  std::string url = doc.url();
  if (action && !lowerTrimmed(*action).empty()) url = resolveUrl(baseAddress(doc), *action);
  if (!core::isWebAddress(url)) return std::nullopt;

  const std::string* method = overridden(doc, form, submitter, "formmethod", "method");
  const std::string* enctype = overridden(doc, form, submitter, "formenctype", "enctype");
  const std::string* accept = doc.at(form).attribute("accept-charset");
  const std::string charset = formCharset(accept ? *accept : std::string(), doc.charset());
  const std::vector<FormEntry> entries = formDataSet(doc, form, submitter, charset);

  PageRequest request;
  request.referer = doc.url();
  if (const std::string* target = overridden(doc, form, submitter, "formtarget", "target")) {
    request.target = *target;
  }
  if (!method || lowerTrimmed(*method) != "post") {
    request.url = withQuery(url, urlEncodeForm(entries, charset));
    return request;
  }
  request.method = "POST";
  request.url = url;
  const std::string type = enctype ? lowerTrimmed(*enctype) : std::string();
  if (type == "multipart/form-data") {
    const std::string mark = boundary.empty() ? randomBoundary() : std::string(boundary);
    request.contentType = "multipart/form-data; boundary=" + mark;
    request.body = multipartEncodeForm(entries, charset, mark);
  } else if (type == "text/plain") {
    request.contentType = "text/plain";
    request.body = plainEncodeForm(entries, charset);
  } else {
    request.contentType = "application/x-www-form-urlencoded";
    request.body = urlEncodeForm(entries, charset);
  }
  return request;
}

std::optional<PageRequest> requestForClick(const Document& doc, std::size_t index,
                                           std::string_view boundary) {
  for (int at = index < doc.size() ? static_cast<int>(index) : -1; at >= 0;
       at = doc.at(static_cast<std::size_t>(at)).parent) {
    const auto i = static_cast<std::size_t>(at);
    const Element& e = doc.at(i);
    if (e.tag == "A" || e.tag == "AREA") {
      if (!e.attribute("href")) continue;  // an anchor without an address is no link
      if (!core::isWebAddress(e.href)) return std::nullopt;
      PageRequest request;
      request.url = e.href;
      const std::size_t hash = request.url.find('#');
      if (hash != std::string::npos) {
        request.url.resize(hash);
        // A jump within the page loads nothing.
        if (request.url == doc.url().substr(0, doc.url().find('#'))) return std::nullopt;
      }
      request.referer = doc.url();
      if (const std::string* target = e.attribute("target")) request.target = *target;
      return request;
    }
    if (submits(e)) {
      if (isDisabled(doc, i)) return std::nullopt;
      const std::optional<std::size_t> form = formOwner(doc, i);
      if (!form) return std::nullopt;
      return formSubmission(doc, *form, i, boundary);
    }
    if (e.tag == "BUTTON" || (e.tag == "INPUT" && (e.type == "BUTTON" || e.type == "RESET"))) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace larkspur::web
