#pragma once
// The rendered text of a page whose elements come from a live browser's DOM
// rather than from the HTML parser: each element's content in document order
// (its text nodes and child elements) goes through the same rendered-text
// rules as a parsed page, so both engines read the same text, the page's
// text is held once, and no element carries a copy of its descendants' text.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "web/document.h"
#include "web/rendered_text.h"

namespace larkspur::web {

// One piece of an element's content: the text of a text node, or a child
// element by its index.
struct ContentPiece {
  std::string text;
  long child = -1;  // >= 0: a child element
};

// `elements` in the order of the page's all-elements collection, with their
// parents, `content[i]` the content of element i, and `hidden[i]` true for an
// element the browser does not show (its style says so). The elements must
// form trees in that order, every child after its parent; nullptr when they
// do not.
std::shared_ptr<const RenderedText> renderedTextOfTree(std::span<const Element> elements,
                                                       const std::vector<std::vector<ContentPiece>>& content,
                                                       const std::vector<bool>& hidden);

}  // namespace larkspur::web
