#pragma once
// What a form field says about itself beyond its name, read as a careful
// person reads a form: its label, the kind of value it takes (its type,
// autocomplete, placeholder, aria-label or label saying e-mail, address or
// telephone), whether it keeps the page's value (hidden, read-only, or asking
// for a page the user links back from) and how long its value may be.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "submit/profile_values.h"
#include "web/document.h"

namespace larkspur::submit {

// An element's attribute in capitals; empty when it has none by that name.
std::string attributeUpper(const web::Element& e, std::string_view name);

// The field's label in capitals: its <label for>, the label around it, else
// the short text of the element that holds it; empty when none is found.
std::string fieldLabel(const web::Document& doc, std::size_t field);

// The profile value a field's kind asks for (e-mail, URL or telephone), from
// its type, autocomplete, placeholder, aria-label or `label` (in capitals).
std::optional<ProfileValue> fieldKind(const web::Element& field, std::string_view label);

// Whether a value the page gave the field stays as it is: hidden and
// read-only inputs, check boxes, radio buttons, buttons and file inputs.
bool keepsPageValue(const web::Element& field);

// Whether the field asks for the address of a page that links back to the
// directory (a reciprocal link), by its name or label (both in capitals).
bool asksForBackLink(std::string_view name, std::string_view label);

// `value` within the field's maxlength (cut at a word boundary unless that
// would leave less than its minlength).
std::string fitFieldLength(const web::Element& field, std::string value);

}  // namespace larkspur::submit
