#include "web/html_parser.h"

#include <gumbo.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "web/charset.h"
#include "web/nesting_limit.h"
#include "web/rendered_text.h"
#include "web/url_resolve.h"

namespace larkspur::web {

namespace {

// Gumbo's options: parse errors are not recorded. Left to its default, gumbo
// keeps a record of a hundred-odd bytes for every error, and a page of NUL
// bytes (what a compression bomb of zeros decodes to) has one per byte.
const GumboOptions& parseOptions() {
  static const GumboOptions options = [] {
    GumboOptions o = kGumboDefaultOptions;
    o.max_errors = 0;
    return o;
  }();
  return options;
}

struct OutputDeleter {
  void operator()(GumboOutput* output) const {
    if (output) gumbo_destroy_output(&parseOptions(), output);
  }
};
// A parse tree with the markup it was parsed from, which the tree points
// into: the markup lives on the heap so that moving the tree (and a short
// string's inline buffer with it) leaves those pointers valid.
struct GumboTree {
  std::unique_ptr<const std::string> html;
  std::unique_ptr<GumboOutput, OutputDeleter> output;
  bool markupDropped = false;  // the page had more elements than a page may have

  explicit operator bool() const { return output != nullptr; }
  const GumboOutput& operator*() const { return *output; }
  const GumboOutput* operator->() const { return output.get(); }
  void reset() {
    output.reset();
    html.reset();
  }
};

// Parses `html` with its nesting cut the way browsers cut it.
GumboTree parseTree(std::string_view html) {
  GumboTree tree;
  tree.html = std::make_unique<const std::string>(
      limitNesting(html, kMaxNestingDepth, kMaxMarkupNodes, &tree.markupDropped));
  tree.output.reset(gumbo_parse_with_options(&parseOptions(), tree.html->data(), tree.html->size()));
  return tree;
}

bool isElement(const GumboNode* node) {
  return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

std::string tagOf(const GumboNode* node) {
  const GumboElement& e = node->v.element;
  if (e.tag != GUMBO_TAG_UNKNOWN) return core::asciiUpper(gumbo_normalized_tagname(e.tag));
  GumboStringPiece piece = e.original_tag;
  gumbo_tag_from_original_text(&piece);
  return core::asciiUpper(std::string_view(piece.data, piece.length));
}

const char* attr(const GumboNode* node, const char* name) {
  const GumboAttribute* a = gumbo_get_attribute(&node->v.element.attributes, name);
  return a ? a->value : nullptr;
}

std::string attrText(const GumboNode* node, const char* name) {
  const char* v = attr(node, name);
  return v ? std::string(v) : std::string();
}

// The children of a node, in order: of the document or of an element. A
// TEMPLATE's contents are not part of the document's element collection.
const GumboVector* childrenOf(const GumboNode* node) {
  if (node->type == GUMBO_NODE_DOCUMENT) return &node->v.document.children;
  if (node->type == GUMBO_NODE_ELEMENT) return &node->v.element.children;
  return nullptr;
}

bool isText(const GumboNode* node) {
  return node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE || node->type == GUMBO_NODE_CDATA;
}

enum class Walk { kInto, kOver, kStop };

// Visits `root` and the nodes below it in document order (depth first,
// children in source order) without recursion: `visit` says whether to go
// into a node's children, pass over them or end the walk.
template <typename Visit>
void walkTree(const GumboNode* root, Visit visit) {
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty()) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    const Walk next = visit(n);
    if (next == Walk::kStop) return;
    const GumboVector* kids = next == Walk::kInto ? childrenOf(n) : nullptr;
    if (!kids) continue;
    for (unsigned i = kids->length; i-- > 0;) stack.push_back(static_cast<const GumboNode*>(kids->data[i]));
  }
}

// Text content of a node: its text descendants, script and style left out.
void appendTextContent(const GumboNode* node, std::string& out) {
  walkTree(node, [&out](const GumboNode* n) {
    if (isText(n)) out += n->v.text.text;
    if (!isElement(n)) return Walk::kOver;
    const std::string tag = tagOf(n);
    return tag == "SCRIPT" || tag == "STYLE" ? Walk::kOver : Walk::kInto;
  });
}

// A charset declared by a META element of the page, or empty.
std::string metaCharset(const GumboNode* root) {
  std::string found;
  walkTree(root, [&found](const GumboNode* n) {
    if (n->type == GUMBO_NODE_DOCUMENT) return Walk::kInto;
    if (!isElement(n)) return Walk::kOver;
    if (n->v.element.tag == GUMBO_TAG_META) {
      if (const char* cs = attr(n, "charset")) found = collapseBlanks(cs);
      const char* equiv = attr(n, "http-equiv");
      const char* content = attr(n, "content");
      if (found.empty() && equiv && content && core::asciiLower(collapseBlanks(equiv)) == "content-type") {
        found = charsetFromContentType(content);
      }
      if (!found.empty()) return Walk::kStop;
    }
    return Walk::kInto;
  });
  return found;
}

const char* const kInputTypes[] = {
    "hidden", "text",   "search", "tel",   "url",      "email",          "password", "date",
    "month",  "week",   "time",   "datetime-local", "number", "range", "color",  "checkbox",
    "radio",  "file",   "submit", "image", "reset",    "button", "datetime"};

std::string inputType(const GumboNode* node) {
  const std::string t = core::asciiLower(collapseBlanks(attrText(node, "type")));
  for (const char* known : kInputTypes) {
    if (t == known) return core::asciiUpper(t);
  }
  return "TEXT";
}

std::string typeOf(const GumboNode* node, const std::string& tag) {
  if (tag == "INPUT") return inputType(node);
  if (tag == "BUTTON") {
    const std::string t = core::asciiUpper(collapseBlanks(attrText(node, "type")));
    return t == "RESET" || t == "BUTTON" ? t : "SUBMIT";
  }
  if (tag == "SELECT") return attr(node, "multiple") ? "SELECT-MULTIPLE" : "SELECT-ONE";
  if (tag == "TEXTAREA") return "TEXTAREA";
  return core::asciiUpper(attrText(node, "type"));
}

// The options of a SELECT, directly inside it or inside its OPTGROUPs.
std::vector<SelectOption> optionsOf(const GumboNode* select, bool multiple) {
  std::vector<SelectOption> options;
  int last_selected = -1;
  walkTree(select, [&](const GumboNode* n) {
    if (n == select) return Walk::kInto;
    if (n->type != GUMBO_NODE_ELEMENT) return Walk::kOver;
    if (n->v.element.tag == GUMBO_TAG_OPTGROUP) return Walk::kInto;
    if (n->v.element.tag != GUMBO_TAG_OPTION) return Walk::kOver;
    SelectOption o;
    std::string content;
    appendTextContent(n, content);
    o.text = collapseBlanks(content);
    const char* value = attr(n, "value");
    o.value = value ? std::string(value) : o.text;
    o.disabled = attr(n, "disabled") != nullptr;
    o.selected = attr(n, "selected") != nullptr;
    if (o.selected) last_selected = static_cast<int>(options.size());
    options.push_back(std::move(o));
    return Walk::kOver;
  });
  if (!multiple) {
    // A single-choice list shows one option: the last one marked selected,
    // else the first one that is not disabled.
    for (std::size_t i = 0; i < options.size(); ++i) {
      options[i].selected = static_cast<int>(i) == last_selected;
    }
    if (last_selected < 0) {
      for (SelectOption& o : options) {
        if (!o.disabled) {
          o.selected = true;
          break;
        }
      }
    }
  }
  return options;
}

class ModelBuilder {
 public:
  explicit ModelBuilder(std::string url) : url_(std::move(url)), base_(url_) {}

  // The elements in document order; their rendered text is left in text().
  std::vector<Element> build(const GumboNode* document) {
    findBase(document);
    struct Frame {
      const GumboNode* node;
      std::size_t next_child;
      std::size_t element;  // index of the element, or npos for the document
      std::size_t last_cell = kNoCell;  // index of the last TD or TH among the children
    };
    // Sized once: growing a vector of a few hundred thousand elements would
    // hold the old and the new array at the same time.
    elements_.reserve(countElements(document));
    std::vector<Frame> stack{{document, 0, std::string::npos}};
    while (!stack.empty()) {
      Frame& top = stack.back();
      const GumboVector* kids = childrenOf(top.node);
      if (!kids || top.next_child >= kids->length) {
        if (top.element != std::string::npos) text_.close(top.element);
        stack.pop_back();
        continue;
      }
      if (top.next_child == 0) top.last_cell = lastCell(*kids);
      const GumboNode* child = static_cast<const GumboNode*>(kids->data[top.next_child]);
      // A cell followed by another cell of the same row.
      const bool tab_after = isCell(child) && top.last_cell != kNoCell && top.next_child < top.last_cell;
      const int parent = top.element == std::string::npos ? -1 : static_cast<int>(top.element);
      ++top.next_child;
      switch (child->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
          text_.text(child->v.text.text);
          break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
          const std::size_t index = addElement(child, parent, tab_after);
          stack.push_back({child, 0, index});
          break;
        }
        default:
          break;
      }
    }
    return std::move(elements_);
  }

  std::shared_ptr<const RenderedText> text() {
    return std::make_shared<const RenderedText>(text_.finish());
  }

 private:
  static std::size_t countElements(const GumboNode* root) {
    std::size_t count = 0;
    walkTree(root, [&count](const GumboNode* n) {
      if (isElement(n)) ++count;
      return Walk::kInto;
    });
    return count;
  }

  static bool isCell(const GumboNode* n) {
    return n->type == GUMBO_NODE_ELEMENT &&
           (n->v.element.tag == GUMBO_TAG_TD || n->v.element.tag == GUMBO_TAG_TH);
  }
  static constexpr std::size_t kNoCell = static_cast<std::size_t>(-1);
  static std::size_t lastCell(const GumboVector& kids) {
    for (std::size_t i = kids.length; i-- > 0;) {
      if (isCell(static_cast<const GumboNode*>(kids.data[i]))) return i;
    }
    return kNoCell;
  }

  // The first BASE element with an address sets the address that every link
  // and image source of the page is resolved against.
  void findBase(const GumboNode* root) {
    walkTree(root, [this](const GumboNode* n) {
      if (isElement(n) && n->v.element.tag == GUMBO_TAG_BASE) {
        if (const char* href = attr(n, "href")) {
          const std::string resolved = resolveUrl(url_, href);
          if (resolved.find("://") != std::string::npos) base_ = resolved;
          return Walk::kStop;
        }
      }
      return Walk::kInto;
    });
  }

  std::size_t addElement(const GumboNode* node, int parent, bool tab_after) {
    Element e;
    e.tag = tagOf(node);
    e.parent = parent;
    const GumboVector& attrs = node->v.element.attributes;
    for (unsigned i = 0; i < attrs.length; ++i) {
      const auto* a = static_cast<const GumboAttribute*>(attrs.data[i]);
      e.attributes.emplace_back(a->name, a->value);
    }
    e.name = attrText(node, "name");
    e.type = typeOf(node, e.tag);

    if (e.tag == "TEXTAREA") {
      appendTextContent(node, e.value);
    } else if (e.tag == "SELECT") {
      e.options = optionsOf(node, e.type == "SELECT-MULTIPLE");
      const int selected = e.selectedIndex();
      if (selected >= 0) e.value = e.options[static_cast<std::size_t>(selected)].value;
    } else if (e.tag == "OPTION" && !attr(node, "value")) {
      std::string content;
      appendTextContent(node, content);
      e.value = collapseBlanks(content);
    } else if (const char* value = attr(node, "value")) {
      e.value = value;
    } else if (e.tag == "INPUT" && (e.type == "CHECKBOX" || e.type == "RADIO")) {
      e.value = "on";
    }

    if (const char* src = attr(node, "src")) e.src = resolveUrl(base_, src);
    if (e.tag == "A" || e.tag == "AREA" || e.tag == "LINK") {
      if (const char* href = attr(node, "href")) e.href = resolveUrl(base_, href);
    } else if (e.tag == "BASE") {
      if (const char* href = attr(node, "href")) e.href = resolveUrl(url_, href);
    }

    TextRole role = textRoleFor(e.tag, attr(node, "hidden") != nullptr, attrText(node, "style"));
    role.tab_after = tab_after;
    const std::size_t index = text_.open(role);
    elements_.push_back(std::move(e));
    return index;
  }

  std::string url_;
  std::string base_;
  std::vector<Element> elements_;
  RenderedTextBuilder text_;
};

Document buildDocument(const GumboTree& tree, std::string_view url, std::string charset) {
  ModelBuilder builder{std::string(url)};
  std::vector<Element> elements = builder.build(tree->document);
  Document document(std::string(url), std::move(charset), std::move(elements), builder.text());
  if (tree.markupDropped) document.markCut();
  return document;
}

}  // namespace

Document parseHtmlUtf8(std::string_view html, std::string_view url) {
  GumboTree tree = parseTree(html);
  if (!tree) return Document(std::string(url), "UTF-8", {});
  return buildDocument(tree, url, "UTF-8");
}

Document parseHtml(std::string_view bytes, std::string_view url, std::string_view content_type) {
  std::string charset = charsetFromBom(bytes);
  if (charset.empty()) charset = canonicalCharset(charsetFromContentType(content_type));

  GumboTree first;
  if (charset.empty()) {
    // Gumbo reads the bytes as UTF-8, which is enough to find a META charset
    // declaration: its markup is ASCII in every charset a page may use.
    first = parseTree(bytes);
    if (first) {
      charset = canonicalCharset(metaCharset(first->document));
      // A page that declares UTF-16 in its markup cannot be UTF-16.
      if (charset.rfind("UTF-16", 0) == 0) charset = "UTF-8";
    }
    if (charset.empty()) charset = isValidUtf8(bytes) ? "UTF-8" : "WINDOWS-1252";
  }

  Utf8Conversion converted = convertToUtf8(bytes, charset);
  if (first && converted.charset == "UTF-8" && charsetFromBom(bytes).empty()) {
    return buildDocument(first, url, converted.charset);
  }
  first.reset();
  GumboTree tree = parseTree(converted.text);
  std::string().swap(converted.text);
  if (!tree) return Document(std::string(url), converted.charset, {});
  return buildDocument(tree, url, converted.charset);
}

}  // namespace larkspur::web
