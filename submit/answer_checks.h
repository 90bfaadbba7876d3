#pragma once
// What a page says that no keyword list does: a form that needs a person (a
// CAPTCHA), an answer that leads to a payment, and a directory's own refusal
// (an element marked as an error or alert, or a short text with one of the
// usual refusal phrases), whose text becomes the record's message.

#include <optional>
#include <string>

#include "web/document.h"

namespace larkspur::submit {

// Whether the page asks for a CAPTCHA: a field named like captcha, security
// code or verification code, a CAPTCHA image, or a CAPTCHA service's script
// or box.
bool asksForCaptcha(const web::Document& doc);

// Whether the answer is a payment page or sends the user on to one.
bool leadsToPayment(const web::Document& doc);

// The directory's refusal on an answer page, as its text; nothing when the
// page holds none.
std::optional<std::string> refusalMessage(const web::Document& doc);

}  // namespace larkspur::submit
