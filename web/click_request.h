#pragma once
// What clicking an element of a page makes a browser load: the submission of
// the form a submit control or image input belongs to, or the address of the
// link the element is (or sits in). Scripts are not run, so a click that only
// a script would answer loads nothing.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "web/document.h"
#include "web/page_request.h"

namespace larkspur::web {

// The submission of `form` by `submitter` (a submit control or image input
// of it, or none): method, action and encoding from the form, overridden by
// the submitter's formmethod, formaction and formenctype; the action is
// resolved against the page address (an empty action is the page address);
// GET puts the urlencoded data set into the query, POST sends it as
// application/x-www-form-urlencoded, multipart/form-data or text/plain; the
// data set is encoded in the form's accept-charset or else the page charset.
// nullopt when the action is not an http or https address.
std::optional<PageRequest> formSubmission(const Document& document, std::size_t form,
                                          std::optional<std::size_t> submitter,
                                          std::string_view boundary = {});

// The request a click on element `index` starts, if any. The click goes to
// the nearest element, the clicked one or one around it, that does something
// when clicked: a link with an http(s) address is followed; a submit control
// or image input submits its form (nothing when it is disabled or belongs to
// no form); other buttons do nothing.
std::optional<PageRequest> requestForClick(const Document& document, std::size_t index,
                                           std::string_view boundary = {});

}  // namespace larkspur::web
