#pragma once
// Caps how deeply the elements of a page nest, the way browsers do (Chromium's
// tree builder stops nesting at depth 512 and puts deeper elements beside
// their parent), before the HTML reaches the parser: a page nested hundreds
// of thousands of levels deep would otherwise make parsing slow and
// memory-hungry, and freeing the parse tree recursive beyond the stack.
//
// The pass reads the markup as the parser's tokenizer does (tags, attribute
// quoting, comments, raw text of SCRIPT, STYLE, TEXTAREA, TITLE, ...) and
// keeps its own stack of open elements, closing elements the way the parser's
// tree building closes them where that lowers the depth. Where the two may
// disagree it counts the depth too high, never too low. When a start tag
// would open an element beyond the limit, an end tag closing the innermost
// open element is put before it, so the new element becomes its sibling, and
// the flattened element's own end tag is dropped later. Element count and
// order stay as they were.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspur::web {

inline constexpr std::size_t kMaxNestingDepth = 512;
// Elements and comments a page may have. Every node costs the parser and
// the document model several hundred bytes, so a page of a few megabytes of
// tiny elements would take hundreds of megabytes (and a batch five times
// that); no add-URL page comes near this many, a long category list
// included. Past it, markup is left out and only its text is kept.
inline constexpr std::size_t kMaxMarkupNodes = 20'000;

// `html` (UTF-8, or any charset whose markup is ASCII) with its nesting cut
// to `max_depth` levels, counting the HTML and BODY elements, and its markup
// cut after `max_nodes` elements and comments. A page that reaches neither
// limit comes back byte for byte. `markupDropped`, when given, tells whether
// markup past the node limit was left out.
std::string limitNesting(std::string_view html, std::size_t max_depth = kMaxNestingDepth,
                         std::size_t max_nodes = kMaxMarkupNodes, bool* markupDropped = nullptr);

}  // namespace larkspur::web
