#include "web/rendered_text.h"

#include <algorithm>
#include <iterator>

#include "core/ascii_text.h"

namespace larkspur::web {

namespace {

constexpr std::string_view kBlockTags[] = {
    "ADDRESS", "ARTICLE", "ASIDE",   "BLOCKQUOTE", "BODY",     "CAPTION", "CENTER", "DD",
    "DETAILS", "DIALOG",  "DIR",     "DIV",        "DL",       "DT",      "FIELDSET",
    "FIGCAPTION", "FIGURE", "FOOTER", "FORM",      "H1",       "H2",      "H3",     "H4",
    "H5",      "H6",      "HEADER",  "HGROUP",     "HR",       "HTML",    "LEGEND", "LI",
    "LISTING", "MAIN",    "MENU",    "NAV",        "OL",       "OPTION",  "SECTION", "TABLE",
    "TR", "UL", "PRE", "XMP", "PLAINTEXT", "SUMMARY", "OPTGROUP", "THEAD", "TBODY", "TFOOT"};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool isBlockTag(std::string_view tag) {
  return std::find(std::begin(kBlockTags), std::end(kBlockTags), tag) != std::end(kBlockTags);
}

// True when an inline style hides the element ("display: none").
bool styleHides(std::string_view style) {
  std::string s;
  for (const char c : style) {
    if (!isBlank(c)) s += core::asciiLower(c);
  }
  return s.find("display:none") != std::string::npos;
}

}  // namespace

TextRole textRoleFor(std::string_view tag, bool hidden_attribute, std::string_view style) {
  TextRole role;
  if (tag == "SCRIPT" || tag == "STYLE" || tag == "NOSCRIPT" || tag == "TEMPLATE" ||
      tag == "IFRAME" || tag == "NOEMBED" || tag == "NOFRAMES") {
    role.skip_contents = true;
    return role;
  }
  if (tag == "P") {
    role.line_breaks = 2;
  } else if (isBlockTag(tag)) {
    role.line_breaks = 1;
  }
  role.line_break = tag == "BR";
  role.preformatted = tag == "PRE" || tag == "LISTING" || tag == "XMP" ||
                      tag == "PLAINTEXT" || tag == "TEXTAREA";
  role.unrendered = tag == "HEAD" || tag == "TITLE" || tag == "SELECT" || tag == "TEXTAREA" ||
                    tag == "DATALIST" || hidden_attribute || styleHides(style);
  return role;
}

void RenderedTextBuilder::add(Item::Kind kind, int breaks, std::string_view text) {
  out_.items_.push_back(Item{kind, static_cast<unsigned char>(breaks), hidden_root_, out_.text_.size(), text.size()});
  out_.text_.append(text);
}

std::size_t RenderedTextBuilder::open(const TextRole& role) {
  const std::size_t element = out_.ranges_.size();
  out_.ranges_.push_back({out_.items_.size(), out_.items_.size()});
  open_.push_back({element, role});
  if (role.unrendered && hidden_root_ < 0) hidden_root_ = static_cast<int>(element);
  if (role.skip_contents) ++skip_depth_;
  if (role.preformatted) ++pre_depth_;
  if (skip_depth_ == 0) {
    if (role.line_break) add(Item::Kind::kNewline);
    if (role.line_breaks > 0) add(Item::Kind::kBreaks, role.line_breaks);
  }
  return element;
}

void RenderedTextBuilder::text(std::string_view text) {
  if (skip_depth_ > 0 || text.empty()) return;
  add(pre_depth_ > 0 ? Item::Kind::kPreformatted : Item::Kind::kText, 0, text);
}

void RenderedTextBuilder::close(std::size_t element) {
  // Close everything opened after `element` too, in case of a caller mismatch.
  while (!open_.empty()) {
    const Open top = open_.back();
    open_.pop_back();
    if (skip_depth_ == 0) {
      if (top.role.line_breaks > 0) add(Item::Kind::kBreaks, top.role.line_breaks);
      if (top.role.tab_after) add(Item::Kind::kTab);
    }
    if (top.role.skip_contents) --skip_depth_;
    if (top.role.preformatted) --pre_depth_;
    if (hidden_root_ == static_cast<int>(top.element)) hidden_root_ = -1;
    out_.ranges_[top.element].second = out_.items_.size();
    if (top.element == element) break;
  }
}

RenderedText RenderedTextBuilder::finish() {
  if (!open_.empty()) close(open_.front().element);
  RenderedText out = std::move(out_);
  out_ = RenderedText();
  hidden_root_ = -1;
  skip_depth_ = 0;
  pre_depth_ = 0;
  return out;
}

std::string RenderedText::textOf(std::size_t element, std::size_t limit, std::size_t item_limit) const {
  if (element >= ranges_.size()) return {};
  const auto [begin, range_end] = ranges_[element];
  const std::size_t end = range_end - begin > item_limit ? begin + item_limit : range_end;
  const int self = static_cast<int>(element);

  std::string out;
  int pending_breaks = 0;
  bool pending_blank = false;
  bool line_start = true;
  // Puts out what is pending before visible text: the line breaks (never at
  // the very start) or a single blank (never at the start of a line).
  auto flush = [&] {
    if (pending_breaks > 0) {
      if (!out.empty()) out.append(static_cast<std::size_t>(pending_breaks), '\n');
      line_start = true;
    } else if (pending_blank && !line_start) {
      out += ' ';
    }
    pending_breaks = 0;
    pending_blank = false;
  };

  for (std::size_t i = begin; i < end && out.size() < limit; ++i) {
    const Item& item = items_[i];
    // Text of an element not shown counts only inside that element: skip the
    // hidden element's items at once.
    if (item.hidden_root >= 0 && item.hidden_root > self) {
      i = std::max(i, ranges_[static_cast<std::size_t>(item.hidden_root)].second - 1);
      continue;
    }
    const std::string_view text = std::string_view(text_).substr(item.offset, item.length);
    switch (item.kind) {
      case Item::Kind::kBreaks:
        pending_breaks = std::max(pending_breaks, static_cast<int>(item.breaks));
        pending_blank = false;
        break;
      case Item::Kind::kNewline:
      case Item::Kind::kTab:
        pending_blank = false;
        flush();
        out += item.kind == Item::Kind::kNewline ? '\n' : '\t';
        line_start = true;
        break;
      case Item::Kind::kPreformatted:
        flush();
        out.append(text.substr(0, limit - std::min(limit, out.size())));
        line_start = out.empty() || out.back() == '\n';
        break;
      case Item::Kind::kText:
        for (const char c : text) {
          if (out.size() >= limit) break;
          if (isBlank(c)) {
            pending_blank = true;
          } else {
            flush();
            out += c;
            line_start = false;
          }
        }
        break;
    }
  }
  if (out.size() > limit) out.resize(limit);
  if (out.size() == limit) {
    // Cut before a character whose bytes did not all fit.
    std::size_t cut = out.size();
    while (cut > 0 && (static_cast<unsigned char>(out[cut - 1]) & 0xC0) == 0x80) --cut;
    if (cut > 0 && static_cast<unsigned char>(out[cut - 1]) >= 0xC0) {
      const unsigned char lead = static_cast<unsigned char>(out[cut - 1]);
      const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      if (out.size() - (cut - 1) < need) out.resize(cut - 1);
    }
  }
  return out;
}

}  // namespace larkspur::web
