#pragma once
// The form data set of an HTML form as a browser builds it when the form is
// submitted, and its encodings on the wire.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/document.h"

namespace larkspur::web {

// One name/value pair of a form data set, in UTF-8.
struct FormEntry {
  std::string name;
  std::string value;
  bool file = false;  // a file control: `value` is the file name (always empty here)
};

// The FORM element a control belongs to: the one its form attribute names by
// id, else the nearest FORM around it, else (for markup that closed the form
// early, such as a form opened inside a table) the empty FORM element just
// before it. nullopt when it belongs to none.
std::optional<std::size_t> formOwner(const Document& document, std::size_t control);

// Whether an element is disabled: its own disabled attribute or that of a
// FIELDSET around it.
bool isDisabled(const Document& document, std::size_t element);

// The successful controls of `form` in document order: enabled, named
// controls; checkboxes and radio buttons only when checked; selected options
// of lists; of the buttons only `submitter`, with its name and value, or for
// an image input its click coordinates as NAME.x and NAME.y (x and y without
// a name). `charset` is what a hidden control named "_charset_" reports.
std::vector<FormEntry> formDataSet(const Document& document, std::size_t form,
                                   std::optional<std::size_t> submitter, std::string_view charset);

// application/x-www-form-urlencoded: names and values encoded to `charset`,
// line breaks as CR LF, spaces as '+', every byte outside A-Z a-z 0-9 * - . _
// as %XX.
std::string urlEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset);

// multipart/form-data with the given boundary (without the leading "--").
std::string multipartEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset,
                                std::string_view boundary);

// text/plain: one "name=value" line (CR LF) per entry.
std::string plainEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset);

}  // namespace larkspur::web
