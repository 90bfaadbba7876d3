#include "submit/answer_checks.h"

#include <string_view>

#include "core/ascii_text.h"
#include "core/upper_case.h"
#include "submit/field_reading.h"
#include "submit/word_search.h"

namespace larkspur::submit {

namespace {

// The usual CAPTCHA services' scripts and boxes, and the names forms give
// the field of their own.
constexpr std::string_view kCaptchaMarks[] = {
    "CAPTCHA", "RECAPTCHA", "HCAPTCHA", "TURNSTILE", "CF-TURNSTILE", "SECURIMAGE", "KCAPTCHA"};
constexpr std::string_view kCaptchaFieldNames[] = {
    "CAPTCHA", "SECURITY_CODE", "SECURITYCODE", "SECURITY-CODE", "VERIFICATION_CODE", "VERIFICATIONCODE",
    "VERIFY_CODE", "VERIFYCODE", "SPAMCODE", "ANTISPAM", "IMAGE_CODE", "IMAGECODE"};

// Where a payment is taken.
constexpr std::string_view kPaymentHosts[] = {
    "PAYPAL.", "STRIPE.COM", "2CHECKOUT.", "CHECKOUT.", "PAYMENTS.", "SQUAREUP.", "AUTHORIZE.NET"};
constexpr std::string_view kPaymentPaths[] = {"/CHECKOUT", "/PAYMENT", "/PAY/", "/PAY.",
                                                                    "/CART", "/ORDER/PAY"};

bool addressTakesPayment(std::string_view address) {
  const std::string upper = core::toUpper(address);
  return hasAny(upper, kPaymentHosts) || hasAny(upper, kPaymentPaths);
}

// The refusal phrases of directory software, in capitals.
constexpr std::string_view kRefusalPhrases[] = {
    "INVALID", "REQUIRED", "PLEASE SELECT", "PLEASE ENTER", "NOT ALLOWED", "COULD NOT BE FOUND", "MUST BE"};
// A note on a form that some fields are required says nothing about an answer.
constexpr std::string_view kFormNotes[] = {"REQUIRED FIELD", "FIELDS MARKED", "ARE REQUIRED"};

bool marksError(const web::Element& e) {
  if (attributeUpper(e, "role") == "ALERT") return true;
  for (std::string_view name : {"class", "id"}) {
    if (hasAny(attributeUpper(e, name), {"ERROR", "ALERT", "WARNING", "INVALID"})) return true;
  }
  return false;
}

// Whether the element is part of a field's label or choice, or is not shown
// (a message template a page's script would show).
bool labelOrHidden(const web::Document& doc, std::size_t element) {
  for (int up = static_cast<int>(element); up >= 0; up = doc.at(static_cast<std::size_t>(up)).parent) {
    const web::Element& e = doc.at(static_cast<std::size_t>(up));
    if (e.tag == "LABEL" || e.tag == "OPTION" || e.tag == "SELECT" || e.tag == "BUTTON") return true;
    if (e.attribute("hidden")) return true;
    std::string style = attributeUpper(e, "style");
    std::erase(style, ' ');
    if (hasAny(style, {"DISPLAY:NONE", "VISIBILITY:HIDDEN"})) return true;
  }
  return false;
}

// A refusal is a sentence or two; a longer text is a page, not a message.
constexpr std::size_t kMaxMessageBytes = 300;
// An answer page is read this far at most for a refusal: so many elements,
// so many bytes of their texts (a hostile page's nested elements each hold
// the text of all below them).
constexpr std::size_t kMaxElementsRead = 5000;
constexpr std::size_t kMaxBytesRead = 2u * 1024 * 1024;

}  // namespace

bool asksForCaptcha(const web::Document& doc) {
  for (const web::Element& e : doc.elements()) {
    if (e.tag == "INPUT" || e.tag == "TEXTAREA") {
      const std::string name = core::toUpper(e.name);
      if (hasAny(name, kCaptchaFieldNames) || hasAny(attributeUpper(e, "id"), kCaptchaFieldNames)) return true;
    } else if (e.tag == "IMG" || e.tag == "SCRIPT" || e.tag == "IFRAME") {
      if (hasAny(core::toUpper(e.src), kCaptchaMarks) || hasAny(attributeUpper(e, "src"), kCaptchaMarks)) {
        return true;
      }
    } else if (e.tag == "DIV") {
      if (hasAny(attributeUpper(e, "class"), {"G-RECAPTCHA", "H-CAPTCHA", "CF-TURNSTILE"})) return true;
    }
  }
  return false;
}

bool leadsToPayment(const web::Document& doc) {
  if (addressTakesPayment(doc.url())) return true;
  for (const web::Element& e : doc.elements()) {
    if (e.tag == "FORM") {
      if (const std::string* action = e.attribute("action"); action && addressTakesPayment(*action)) return true;
    } else if (e.tag == "META" && attributeUpper(e, "http-equiv") == "REFRESH") {
      if (const std::string* content = e.attribute("content"); content && addressTakesPayment(*content)) {
        return true;
      }
    }
  }
  return false;
}

std::optional<std::string> refusalMessage(const web::Document& doc) {
  std::optional<std::string> phrase;  // the shortest text holding a refusal phrase
  std::size_t read = 0;
  for (std::size_t i = 0; i < doc.size() && i < kMaxElementsRead && read < kMaxBytesRead; ++i) {
    const web::Element& e = doc.at(i);
    if (e.tag == "SCRIPT" || e.tag == "STYLE" || e.tag == "TITLE" || labelOrHidden(doc, i)) continue;
    const bool marked = marksError(e);
    // Elements that cannot hold a message of their own are passed by.
    if (!marked && e.tag != "P" && e.tag != "DIV" && e.tag != "SPAN" && e.tag != "LI" && e.tag != "TD" &&
        e.tag != "FONT" && e.tag != "B" && e.tag != "STRONG" && e.tag != "EM" && e.tag != "H1" && e.tag != "H2" &&
        e.tag != "H3" && e.tag != "H4" && e.tag != "CENTER") {
      continue;
    }
    const std::string whole = doc.textOf(i);
    read += whole.size();
    const std::string text(core::asciiTrimmed(whole));
    if (text.size() < 2 || text.size() > kMaxMessageBytes) continue;
    if (marked) return text;
    const std::string upper = core::toUpper(text);
    if (!hasAny(upper, kRefusalPhrases) || hasAny(upper, kFormNotes)) continue;
    if (!phrase || text.size() < phrase->size()) phrase = text;
  }
  return phrase;
}

}  // namespace larkspur::submit
