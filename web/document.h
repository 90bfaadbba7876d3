#pragma once
// The document model the submission logic works on: a page's elements in
// document order, exactly as a browser's all-elements collection lists them
// (HTML, HEAD, TITLE, ..., BODY and everything inside, depth-first in source
// order), with the properties the page walk reads. Writes and clicks made
// through the model change it and are recorded, in order, as actions that a
// browser engine then carries out on the real page.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/rendered_text.h"

namespace larkspur::web {

// One option of a selection list.
struct SelectOption {
  std::string text;   // the option's text, blanks stripped and collapsed
  std::string value;  // the value attribute, else the text
  bool selected = false;
  bool disabled = false;
};

struct Element {
  std::string tag;    // in capitals: "INPUT", "A", ...
  std::string name;   // name attribute as written
  // In capitals. INPUT: its type, "TEXT" when absent or unknown; BUTTON:
  // "SUBMIT" unless "RESET" or "BUTTON"; SELECT: "SELECT-ONE" or
  // "SELECT-MULTIPLE"; TEXTAREA: "TEXTAREA"; other elements: the attribute.
  std::string type;
  // INPUT and BUTTON: the value attribute, then whatever was written;
  // TEXTAREA: its text, then whatever was written; SELECT: the value of the
  // first selected option; other elements: the value attribute.
  std::string value;
  std::string src;   // absolute image source (IMG, INPUT, ...), empty when absent
  std::string href;  // absolute link address (A, AREA, LINK, BASE), empty when absent
  std::vector<SelectOption> options;  // SELECT only
  int parent = -1;                    // index of the parent element, -1 for HTML
  // Every attribute: lower-case name, value as written, in source order.
  std::vector<std::pair<std::string, std::string>> attributes;

  // The value of an attribute, or nullptr when the element has none by that
  // (lower-case) name.
  const std::string* attribute(std::string_view name) const;
  // Index of the first selected option, or -1.
  int selectedIndex() const;
};

struct PageAction {
  enum class Kind { kSetValue, kSelectOption, kClick };
  Kind kind;
  std::size_t element;      // index in the document
  std::size_t option = 0;   // kSelectOption: index among the element's options
  std::string value;        // kSetValue: the text written

  bool operator==(const PageAction&) const = default;
};

// The most of a page's bytes (as decoded, past any Content-Encoding) that is
// read; what comes after is left out and the document counts as cut.
inline constexpr std::size_t kMaxPageBytes = 4u * 1024 * 1024;

// Strips ASCII blanks at both ends and collapses runs of them to one space,
// as a browser gives an option's or a title's text.
std::string collapseBlanks(std::string_view text);

class Document {
 public:
  Document() = default;
  // `text` holds the rendered text of the elements, element by element; a
  // document without it has elements without text.
  Document(std::string url, std::string charset, std::vector<Element> elements,
           std::shared_ptr<const RenderedText> text = {});

  // At most this much of an element's rendered text is put together, from
  // at most this many of the pieces it is made of: enough for any answer a
  // page gives, and it keeps asking every element of a page for its text
  // proportional to the page's size.
  static constexpr std::size_t kTextLimit = 64 * 1024;
  static constexpr std::size_t kTextItemLimit = 64 * 1024;

  // The page address the document was loaded from, and the charset its bytes
  // were decoded from.
  const std::string& url() const { return url_; }
  const std::string& charset() const { return charset_; }
  // The text of the first TITLE element, blanks stripped and collapsed.
  std::string title() const;

  std::size_t size() const { return elements_.size(); }
  const Element& at(std::size_t i) const { return elements_[i]; }
  std::span<const Element> elements() const { return elements_; }
  // The element's rendered text with its descendants, as a browser's
  // innerText gives it, within the bounds above; empty for an index out of
  // range.
  std::string textOf(std::size_t element) const;

  // Writes the value of an INPUT, TEXTAREA or other element. Returns false
  // (and records nothing) for an index out of range.
  bool setValue(std::size_t element, std::string_view value);
  // Selects an option of a SELECT; in a single-choice list every other option
  // is deselected. Returns false for an element that is not a SELECT or an
  // option out of range.
  bool selectOption(std::size_t element, std::size_t option);
  // Clicks an element. Returns false for an index out of range.
  bool click(std::size_t element);
  // Checks a radio button, as a click on it does: the other buttons of its
  // group (same name) are unchecked. Recorded as a click. Returns false for
  // an element that is not a radio button.
  bool checkRadio(std::size_t element);

  // Whether part of the page was left out because it was larger than a page
  // may be (its bytes past the size limit, its elements past the element
  // limit): what the document holds is only the page's beginning.
  bool cut() const { return cut_; }
  void markCut() { cut_ = true; }

  const std::vector<PageAction>& actions() const { return actions_; }
  void clearActions() { actions_.clear(); }

 private:
  std::string url_;
  std::string charset_;
  std::vector<Element> elements_;
  std::shared_ptr<const RenderedText> text_;  // shared by copies, never changed
  std::vector<PageAction> actions_;
  bool cut_ = false;
};

}  // namespace larkspur::web
