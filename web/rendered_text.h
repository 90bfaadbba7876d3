#pragma once
// The rendered text of every element of a page, the way a browser's innerText
// gives it: text of the element and its descendants, blanks collapsed, block
// elements on lines of their own, paragraphs set apart by an empty line, table
// cells separated by tabs, line breaks kept; script and style contents left
// out; text that is not shown (HEAD, TITLE, the options of a list, a text
// area, hidden elements) left out of the enclosing elements' texts but kept as
// the element's own text.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspur::web {

// How an element takes part in rendered text.
struct TextRole {
  int line_breaks = 0;        // required line breaks around it: 1 block, 2 paragraph
  bool skip_contents = false; // SCRIPT, STYLE, ...: its text is never shown
  bool unrendered = false;    // not shown: its text counts only for itself
  bool preformatted = false;  // blanks and line breaks kept (PRE, TEXTAREA, ...)
  bool line_break = false;    // BR
  bool tab_after = false;     // a table cell followed by another cell
};

// The role of an element by its tag in capitals, whether it carries the
// hidden attribute and its inline style.
TextRole textRoleFor(std::string_view tag, bool hidden_attribute, std::string_view style);

// Every text an element's rendered text is made of, in document order, with
// the range of them that belongs to each element: the page's text is held
// once, and an element's text is put together when asked for. Immutable once
// built.
class RenderedText {
 public:
  RenderedText() = default;

  std::size_t size() const { return ranges_.size(); }
  // The rendered text of an element, at most `limit` bytes of it (cut at a
  // character boundary). The text is put together from at most `item_limit`
  // of the items inside the element, so asking every element of a page with
  // many elements or much text stays fast; an element out of range has none.
  std::string textOf(std::size_t element, std::size_t limit, std::size_t item_limit) const;

 private:
  friend class RenderedTextBuilder;
  struct Item {
    enum class Kind : unsigned char { kText, kPreformatted, kBreaks, kNewline, kTab };
    Kind kind;
    unsigned char breaks = 0;
    int hidden_root = -1;    // outermost element not shown that holds the item
    std::size_t offset = 0;  // kText, kPreformatted: where its text is in text_
    std::size_t length = 0;
  };

  std::vector<Item> items_;
  std::string text_;  // the texts of all items, one after another
  std::vector<std::pair<std::size_t, std::size_t>> ranges_;  // item range per element
};

// Collects a page's text while its elements are visited in document order.
class RenderedTextBuilder {
 public:
  // Starts element number `size()`; returns that number.
  std::size_t open(const TextRole& role);
  void text(std::string_view text);
  void close(std::size_t element);

  std::size_t size() const { return out_.ranges_.size(); }
  // The collected text; closes whatever is still open.
  RenderedText finish();

 private:
  using Item = RenderedText::Item;
  struct Open {
    std::size_t element;
    TextRole role;
  };
  void add(Item::Kind kind, int breaks = 0, std::string_view text = {});

  RenderedText out_;
  std::vector<Open> open_;
  int hidden_root_ = -1;
  int skip_depth_ = 0;
  int pre_depth_ = 0;
};

}  // namespace larkspur::web
