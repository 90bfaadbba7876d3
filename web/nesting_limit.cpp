#include "web/nesting_limit.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "core/ascii_text.h"

namespace larkspur::web {

namespace {

using Names = std::initializer_list<std::string_view>;

template <typename List>
bool among(std::string_view name, const List& names) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}
bool among(std::string_view name, Names names) { return among<Names>(name, names); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Elements that never hold anything.
constexpr std::string_view kVoid[] = {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image",
                         "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};
// Elements whose contents are text up to their end tag. NOSCRIPT is not among
// them: a parser without scripting reads its contents as markup.
constexpr std::string_view kRawText[] = {"script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title"};
constexpr std::string_view kFormatting[] = {"a", "b", "big", "code", "em", "font", "i", "nobr",
                               "s", "small", "strike", "strong", "tt", "u"};
// Elements an end tag of another name never closes past.
constexpr std::string_view kSpecial[] = {
    "address", "applet", "area", "article", "aside", "base", "basefont", "bgsound", "blockquote", "body", "br",
    "button", "caption", "center", "col", "colgroup", "dd", "details", "dir", "div", "dl", "dt", "embed",
    "fieldset", "figcaption", "figure", "footer", "form", "frame", "frameset", "h1", "h2", "h3", "h4", "h5",
    "h6", "head", "header", "hgroup", "hr", "html", "iframe", "img", "input", "keygen", "li", "link", "listing",
    "main", "marquee", "menu", "meta", "nav", "noembed", "noframes", "noscript", "object", "ol", "p", "param",
    "plaintext", "pre", "script", "search", "section", "select", "source", "style", "summary", "table", "tbody",
    "td", "template", "textarea", "tfoot", "th", "thead", "title", "tr", "track", "ul", "wbr", "xmp"};
// Elements that limit the reach of an end tag or an implied end.
constexpr std::string_view kScope[] = {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"};
constexpr std::string_view kForeignScope[] = {"mi", "mo", "mn", "ms", "mtext", "annotation-xml", "foreignobject", "desc", "title"};
// Start tags that end an open P.
constexpr std::string_view kClosesP[] = {"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir",
                            "div", "dl", "fieldset", "figcaption", "figure", "footer", "header", "hgroup",
                            "main", "menu", "nav", "ol", "p", "search", "section", "summary", "ul", "h1",
                            "h2", "h3", "h4", "h5", "h6", "pre", "listing", "form", "plaintext", "xmp", "li",
                            "dd", "dt"};
constexpr std::string_view kHeadings[] = {"h1", "h2", "h3", "h4", "h5", "h6"};
// Start tags that leave SVG or MathML content.
constexpr std::string_view kBreakout[] = {"b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt",
                             "em", "embed", "h1", "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li",
                             "listing", "menu", "meta", "nobr", "ol", "p", "pre", "ruby", "s", "small", "span",
                             "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var"};
constexpr std::string_view kTableParts[] = {"table", "tbody", "thead", "tfoot", "tr", "td", "th"};
// Elements whose end marks where reopened formatting elements stop.
constexpr std::string_view kMarkers[] = {"td", "th", "caption", "applet", "object", "marquee", "template"};

// How the parser treats the contents of an element.
enum class Space {
  kHtml,     // HTML
  kForeign,  // SVG or MathML
  kEither,   // cannot tell which: counted the safe way for both
};

struct Tag {
  bool end = false;
  std::string name;          // lower-case
  std::string_view attributes;  // as written, for telling formatting elements apart
  bool self_closing = false;
  bool font_breakout = false;   // FONT with color, face or size
  std::size_t begin = 0;        // where '<' is
  std::size_t end_pos = 0;      // just after '>'
};

struct Frame {
  std::string name;
  Space space = Space::kHtml;
  std::string attributes;  // formatting elements: as written
  std::size_t marker = 0;  // reopenable formatting elements when it opened
  // Looked up once when opened: searches down the stack read these.
  bool special = false;
  bool scope = false;
  bool is_marker = false;
  // Elements flattened beside this one's children, innermost last: their
  // end tags are dropped when they come.
  std::vector<std::string> flattened;
};

// A formatting element the parser closed implicitly but may open again.
struct Reopenable {
  std::string name;
  std::string attributes;
};

class NestingLimiter {
 public:
  NestingLimiter(std::string_view html, std::size_t max_depth, std::size_t max_nodes)
      : html_(html), max_depth_(max_depth), max_nodes_(max_nodes) {}

  // Whether markup past the node limit was left out.
  bool dropped() const { return dropped_; }

  std::string run() {
    std::size_t i = 0;
    while (i < html_.size()) {
      const std::size_t lt = html_.find('<', i);
      if (lt == std::string_view::npos) break;
      i = markup(lt);
    }
    if (!changed_) return std::string(html_);
    out_.append(html_.substr(copied_));
    return std::move(out_);
  }

 private:
  // Reads the markup at `lt`; returns where reading goes on.
  std::size_t markup(std::size_t lt) {
    if (nodes_ >= max_nodes_) return dropMarkup(lt);
    const std::string_view rest = html_.substr(lt);
    if (rest.starts_with("<!--")) {
      ++nodes_;
      return commentEnd(lt + 4);
    }
    if (rest.size() < 2) return html_.size();
    const char next = rest[1];
    if (next == '!' || next == '?') {
      ++nodes_;
      return bogusEnd(lt + 2);
    }
    if (next == '/') {
      if (rest.size() < 3) return html_.size();
      if (rest[2] == '>') return lt + 3;
      if (!isAlpha(rest[2])) return bogusEnd(lt + 2);
      Tag tag;
      const std::size_t after = readTag(lt, lt + 2, tag);
      tag.end = true;
      if (after == std::string_view::npos) return html_.size();
      endTag(tag);
      return after;
    }
    if (!isAlpha(next)) return lt + 1;
    Tag tag;
    const std::size_t after = readTag(lt, lt + 1, tag);
    if (after == std::string_view::npos) return html_.size();
    ++nodes_;
    return startTag(tag);
  }

  // Past the node limit: the markup at `lt` is left out, its text stays;
  // elements already open are still closed by their end tags.
  std::size_t dropMarkup(std::size_t lt) {
    const std::string_view rest = html_.substr(lt);
    std::size_t end = std::string_view::npos;
    if (rest.starts_with("<!--")) {
      end = commentEnd(lt + 4);
    } else if (rest.size() >= 2 && (rest[1] == '!' || rest[1] == '?')) {
      end = bogusEnd(lt + 2);
    } else if (rest.size() >= 3 && rest[1] == '/' && isAlpha(rest[2])) {
      // End tags still close what was opened before the limit; others are
      // left out (the parser would turn a stray </p> into a new element).
      Tag tag;
      end = readTag(lt, lt + 2, tag);
      const bool owed = !flattened().empty() && flattened().back() == tag.name;
      if (end != std::string_view::npos && tag.name != "br" && (isOpen(tag.name) || owed)) {
        tag.end = true;
        endTag(tag);
        return end;
      }
    } else if (rest.size() >= 2 && isAlpha(rest[1])) {
      Tag tag;
      end = readTag(lt, lt + 1, tag);
    } else {
      return lt + 1;  // a '<' that opens nothing is text
    }
    if (end == std::string_view::npos) end = html_.size();
    write(lt, end - lt, {});
    dropped_ = true;
    return end;
  }

  std::size_t commentEnd(std::size_t from) const {
    const std::string_view body = html_.substr(from);
    if (body.starts_with(">")) return from + 1;
    if (body.starts_with("->")) return from + 2;
    const std::size_t a = body.find("-->");
    const std::size_t b = body.find("--!>");
    if (a == std::string_view::npos && b == std::string_view::npos) return html_.size();
    return a <= b ? from + a + 3 : from + b + 4;
  }

  std::size_t bogusEnd(std::size_t from) const {
    const std::size_t gt = html_.find('>', from);
    return gt == std::string_view::npos ? html_.size() : gt + 1;
  }

  // Reads a tag whose name starts at `at`; npos when the page ends inside it
  // (the parser then drops the tag).
  std::size_t readTag(std::size_t lt, std::size_t at, Tag& tag) const {
    tag.begin = lt;
    std::size_t i = at;
    while (i < html_.size() && !isSpace(html_[i]) && html_[i] != '/' && html_[i] != '>') {
      tag.name += core::asciiLower(html_[i]);
      ++i;
    }
    const std::size_t attributes_begin = i;
    // Attributes: names, then values unquoted or in quotes (where '>' does
    // not end the tag).
    while (i < html_.size()) {
      const char c = html_[i];
      if (isSpace(c)) {
        ++i;
      } else if (c == '>') {
        tag.attributes = html_.substr(attributes_begin, i - attributes_begin);
        tag.end_pos = i + 1;
        return i + 1;
      } else if (c == '/') {
        tag.self_closing = i + 1 < html_.size() && html_[i + 1] == '>';
        ++i;
      } else {
        tag.self_closing = false;
        std::string name(1, core::asciiLower(c));  // a name may start with '='
        ++i;
        while (i < html_.size() && !isSpace(html_[i]) && html_[i] != '/' && html_[i] != '>' && html_[i] != '=') {
          name += core::asciiLower(html_[i]);
          ++i;
        }
        if (name == "color" || name == "face" || name == "size") tag.font_breakout = true;
        std::size_t j = i;
        while (j < html_.size() && isSpace(html_[j])) ++j;
        if (j >= html_.size() || html_[j] != '=') continue;
        i = j + 1;
        while (i < html_.size() && isSpace(html_[i])) ++i;
        if (i >= html_.size()) break;
        if (html_[i] == '"' || html_[i] == '\'') {
          const std::size_t close = html_.find(html_[i], i + 1);
          if (close == std::string_view::npos) break;
          i = close + 1;
        } else {
          while (i < html_.size() && !isSpace(html_[i]) && html_[i] != '>') ++i;
        }
      }
    }
    return std::string_view::npos;
  }

  std::size_t depth() const { return 2 + stack_.size() + reopenable_.size(); }

  Space context() const {
    if (stack_.empty()) return Space::kHtml;
    const Frame& top = stack_.back();
    if (top.space != Space::kForeign) return top.space;
    if (among(top.name, {"foreignobject", "desc", "title", "mi", "mo", "mn", "ms", "mtext"})) return Space::kHtml;
    if (top.name == "annotation-xml") return Space::kEither;
    return Space::kForeign;
  }

  static bool isSpecial(const Frame& f) { return f.special; }
  static bool isScope(const Frame& f, Names extra = {}) {
    return f.scope || (f.space == Space::kHtml && extra.size() > 0 && among(f.name, extra));
  }

  // Index of the innermost open `name` reachable without crossing a scope
  // boundary (other than `name` itself), or -1.
  long inScope(const std::string& name, Names extra = {}) const {
    if (!isOpen(name)) return -1;
    for (std::size_t k = stack_.size(); k-- > 0;) {
      if (stack_[k].name == name) return static_cast<long>(k);
      if (isScope(stack_[k], extra)) return -1;
    }
    return -1;
  }

  // Pops the elements from `index` up; formatting elements among those above
  // it stay reopenable.
  void popTo(std::size_t index) {
    while (stack_.size() > index) {
      Frame& top = stack_.back();
      if (top.is_marker) {
        reopenable_.resize(std::min(reopenable_.size(), top.marker));
      } else if (stack_.size() - 1 > index && top.space == Space::kHtml && among(top.name, kFormatting)) {
        reopenable_.push_back({top.name, top.attributes});
      }
      popFrame();
    }
  }

  void popFrame() {
    --open_count_[stack_.back().name];
    stack_.pop_back();
  }
  bool isOpen(const std::string& name) const {
    const auto it = open_count_.find(name);
    return it != open_count_.end() && it->second > 0;
  }

  void write(std::size_t at, std::size_t skip, std::string_view insert) {
    out_.append(html_.substr(copied_, at - copied_));
    out_.append(insert);
    copied_ = at + skip;
    changed_ = true;
  }

  // Elements flattened beside the children of the innermost open element.
  std::vector<std::string>& flattened() { return stack_.empty() ? root_flattened_ : stack_.back().flattened; }

  void endTag(const Tag& tag) {
    if (!flattened().empty() && flattened().back() == tag.name) {
      flattened().pop_back();
      write(tag.begin, tag.end_pos - tag.begin, {});
      return;
    }
    const std::string& name = tag.name;
    if (name == "body" || name == "html" || name == "br" || (name == "p" && inScope("p", {"button"}) < 0)) return;
    // In SVG or MathML an end tag closes the innermost element of its name.
    for (std::size_t k = stack_.size(); k-- > 0 && stack_[k].space != Space::kHtml;) {
      if (stack_[k].name == name) {
        popTo(k);
        return;
      }
    }
    if (name == "form") {
      // Only the form itself is closed; what is inside stays open.
      const long k = inScope(name);
      if (k >= 0 && static_cast<std::size_t>(k) + 1 == stack_.size()) popTo(static_cast<std::size_t>(k));
      return;
    }
    if (among(name, kTableParts) || name == "caption") {
      for (std::size_t k = stack_.size(); k-- > 0;) {
        if (stack_[k].name == name) return popTo(k);
        if (among(stack_[k].name, {"html", "table", "template"})) return;
      }
      return;
    }
    if (among(name, kHeadings)) {
      for (std::size_t k = stack_.size(); k-- > 0;) {
        if (among(stack_[k].name, kHeadings)) return popTo(k);
        if (isScope(stack_[k])) return;
      }
      return;
    }
    if (among(name, kFormatting)) {
      for (std::size_t k = stack_.size(); k-- > 0;) {
        if (stack_[k].name == name) {
          // With a block inside, the parser moves things around but keeps
          // as many elements open: nothing is counted as closed.
          for (std::size_t j = k + 1; j < stack_.size(); ++j) {
            if (isSpecial(stack_[j])) return;
          }
          return popTo(k);
        }
        if (isScope(stack_[k])) break;
      }
      forgetReopenable(name);
      return;
    }
    if (among(name, kSpecial) || name == "li" || name == "dd" || name == "dt") {
      const long k = inScope(name, name == "li" ? Names{"ol", "ul"} : Names{});
      if (k >= 0) popTo(static_cast<std::size_t>(k));
      return;
    }
    // Any other end tag closes the innermost element of its name unless a
    // special element is open inside it.
    for (std::size_t k = stack_.size(); k-- > 0;) {
      if (stack_[k].name == name) return popTo(k);
      if (isSpecial(stack_[k])) return;
    }
  }

  void forgetReopenable(std::string_view name) {
    for (std::size_t k = reopenable_.size(); k-- > 0;) {
      if (reopenable_[k].name == name) {
        reopenable_.erase(reopenable_.begin() + static_cast<long>(k));
        return;
      }
    }
  }

  void closeP() {
    const long k = inScope("p", {"button"});
    if (k >= 0) popTo(static_cast<std::size_t>(k));
  }

  // The ends a start tag implies in HTML content.
  void impliedEnds(const std::string& name, std::size_t at) {
    if (name == "li" || name == "dd" || name == "dt") {
      for (std::size_t k = stack_.size(); k-- > 0;) {
        const Frame& f = stack_[k];
        if (name == "li" ? f.name == "li" : (f.name == "dd" || f.name == "dt")) {
          popTo(k);
          break;
        }
        if (f.name == "select" || (isSpecial(f) && !among(f.name, {"address", "div", "p"}))) break;
      }
    }
    if (among(name, kClosesP)) closeP();
    if (among(name, kHeadings) && !stack_.empty() && among(stack_.back().name, kHeadings)) popTo(stack_.size() - 1);
    if ((name == "option" || name == "optgroup") && !stack_.empty() && stack_.back().name == "option") {
      popTo(stack_.size() - 1);
    }
    if (name == "button") {
      const long k = inScope("button");
      if (k >= 0) popTo(static_cast<std::size_t>(k));
    }
    if (among(name, {"a", "nobr"})) {
      // A second link inside a link closes the first one, like its end tag.
      for (std::size_t k = stack_.size(); k-- > 0;) {
        if (stack_[k].name == name) {
          bool block_inside = false;
          for (std::size_t j = k + 1; j < stack_.size(); ++j) block_inside = block_inside || isSpecial(stack_[j]);
          if (!block_inside) popTo(k);
          break;
        }
        if (isScope(stack_[k])) break;
      }
    }
    tableParts(name, at);
  }

  // Rows and cells close the open cell or row, and open the row group and
  // row they need.
  void tableParts(const std::string& name, std::size_t at) {
    const bool cell = name == "td" || name == "th";
    const bool row = name == "tr";
    const bool group = among(name, {"tbody", "thead", "tfoot"});
    if (!cell && !row && !group && name != "col" && name != "caption" && name != "colgroup") return;
    for (std::size_t k = stack_.size(); k-- > 0;) {
      const std::string& n = stack_[k].name;
      if (n == "html" || n == "template") return;
      if (n == "td" || n == "th") {
        popTo(k);
        continue;
      }
      if (n == "tr") {
        if (cell) return popTo(k + 1);
        popTo(k);
        continue;
      }
      if (n == "tbody" || n == "thead" || n == "tfoot") {
        if (cell || row) {
          popTo(k + 1);
          if (cell) push("tr", Space::kHtml, at);
          return;
        }
        popTo(k);
        continue;
      }
      if (n == "table") {
        popTo(k + 1);
        if (cell || row) push("tbody", Space::kHtml, at);
        if (cell) push("tr", Space::kHtml, at);
        if (name == "col") push("colgroup", Space::kHtml, at);
        return;
      }
    }
  }

  // Opens an element at `at`, beside its parent when there is no room.
  void push(std::string name, Space space, std::size_t at, std::string_view attributes = {}) {
    makeRoom(at, among(name, kTableParts) || name == "caption" || name == "colgroup");
    Frame f;
    f.attributes = attributes;
    f.name = std::move(name);
    f.space = space;
    f.marker = reopenable_.size();
    const bool html = space == Space::kHtml;
    f.special = html ? among(f.name, kSpecial) : among(f.name, kForeignScope);
    f.scope = html ? among(f.name, kScope) || f.name == "select" : among(f.name, kForeignScope);
    f.is_marker = html && among(f.name, kMarkers);
    ++open_count_[f.name];
    stack_.push_back(std::move(f));
  }

  // Makes room for one more element at `at`: the innermost open element is
  // closed there and its own end tag dropped later.
  // Table parts get two levels less: the parser may add a row group and a
  // row around what follows them.
  void makeRoom(std::size_t at, bool table_part = false) {
    const std::size_t limit = table_part && max_depth_ > 2 ? max_depth_ - 2 : max_depth_;
    while (depth() >= limit) {
      if (stack_.empty()) {
        if (reopenable_.empty()) return;
        write(at, 0, "</" + reopenable_.back().name + ">");
        reopenable_.pop_back();
        continue;
      }
      --open_count_[stack_.back().name];
      Frame top = std::move(stack_.back());
      stack_.pop_back();
      write(at, 0, "</" + top.name + ">");
      if (top.is_marker) reopenable_.resize(std::min(reopenable_.size(), top.marker));
      std::vector<std::string> owed = std::move(top.flattened);
      owed.push_back(std::move(top.name));
      std::vector<std::string>& into = flattened();
      into.insert(into.end(), std::make_move_iterator(owed.begin()), std::make_move_iterator(owed.end()));
    }
  }

  std::size_t startTag(Tag& tag) {
    const std::string& name = tag.name;
    const Space in = context();
    Space space = Space::kHtml;
    const bool breakout = among(name, kBreakout) || (name == "font" && tag.font_breakout);
    if (name == "svg" || name == "math") {
      space = Space::kForeign;
    } else if (in == Space::kForeign) {
      if (breakout) {
        while (!stack_.empty() && context() == Space::kForeign) popFrame();
      } else {
        space = Space::kForeign;
      }
    } else if (in == Space::kEither && !breakout) {
      space = Space::kEither;
    } else if (in == Space::kHtml && !stack_.empty() && stack_.back().space == Space::kForeign &&
               among(stack_.back().name, {"mi", "mo", "mn", "ms", "mtext"}) &&
               among(name, {"mglyph", "malignmark"})) {
      space = Space::kForeign;
    }

    if (space == Space::kForeign) {
      if (tag.self_closing && in == Space::kForeign) return tag.end_pos;
    } else if (space == Space::kHtml) {
      if (name == "html" || name == "body") return tag.end_pos;
      impliedEnds(name, tag.begin);
      if (among(name, kVoid)) {
        makeRoom(tag.begin);
        return tag.end_pos;
      }
      if (name == "plaintext") {
        makeRoom(tag.begin);
        return html_.size();
      }
      if (among(name, kRawText)) return rawTextEnd(tag);
    }
    const bool formatting = space == Space::kHtml && among(name, kFormatting);
    if (formatting) noahsArk(tag);
    push(name, space, tag.begin, formatting ? tag.attributes : std::string_view());
    return tag.end_pos;
  }

  // The parser keeps at most three identical formatting elements to reopen.
  void noahsArk(const Tag& tag) {
    std::size_t same = 0;
    std::size_t marker = 0;
    for (std::size_t k = stack_.size(); k-- > 0;) {
      if (stack_[k].is_marker) {
        marker = std::min(stack_[k].marker, reopenable_.size());
        break;
      }
    }
    for (std::size_t k = reopenable_.size(); k-- > marker;) {
      if (reopenable_[k].name == tag.name && reopenable_[k].attributes == tag.attributes && ++same >= 3) {
        reopenable_.erase(reopenable_.begin() + static_cast<long>(k));
        return;
      }
    }
  }

  // Skips the text of a raw text element up to its end tag.
  std::size_t rawTextEnd(const Tag& tag) {
    makeRoom(tag.begin);
    std::size_t i = tag.end_pos;
    while (true) {
      const std::size_t lt = html_.find("</", i);
      if (lt == std::string_view::npos) return html_.size();
      std::size_t j = lt + 2;
      std::size_t k = 0;
      while (k < tag.name.size() && j < html_.size() && core::asciiLower(html_[j]) == tag.name[k]) {
        ++j;
        ++k;
      }
      if (k == tag.name.size() && j < html_.size() && (isSpace(html_[j]) || html_[j] == '/' || html_[j] == '>')) {
        Tag end;
        const std::size_t after = readTag(lt, lt + 2, end);
        return after == std::string_view::npos ? html_.size() : after;
      }
      i = lt + 2;
    }
  }

  std::string_view html_;
  std::size_t max_depth_;
  std::size_t max_nodes_;
  std::size_t nodes_ = 0;  // elements and comments read so far
  std::vector<Frame> stack_;
  std::vector<Reopenable> reopenable_;
  std::vector<std::string> root_flattened_;
  std::unordered_map<std::string, std::size_t> open_count_;  // open elements by name
  std::string out_;
  std::size_t copied_ = 0;
  bool changed_ = false;
  bool dropped_ = false;
};

}  // namespace

std::string limitNesting(std::string_view html, std::size_t max_depth, std::size_t max_nodes,
                         bool* markupDropped) {
  NestingLimiter limiter(html, max_depth, max_nodes);
  std::string out = limiter.run();
  if (markupDropped) *markupDropped = limiter.dropped();
  return out;
}

}  // namespace larkspur::web
