#include "web/tree_text.h"

namespace larkspur::web {

namespace {

bool isCell(const Element& e) { return e.tag == "TD" || e.tag == "TH"; }

}  // namespace

std::shared_ptr<const RenderedText> renderedTextOfTree(std::span<const Element> elements,
                                                       const std::vector<std::vector<ContentPiece>>& content,
                                                       const std::vector<bool>& hidden) {
  if (content.size() != elements.size() || hidden.size() != elements.size()) return nullptr;
  RenderedTextBuilder builder;
  struct Frame {
    std::size_t element;
    std::size_t next = 0;       // next piece of its content
    std::size_t lastCell = 0;   // one past the last TD or TH among its pieces
  };
  std::vector<Frame> stack;
  auto open = [&](std::size_t i, bool tabAfter) {
    const Element& e = elements[i];
    const std::string* style = e.attribute("style");
    TextRole role = textRoleFor(e.tag, e.attribute("hidden") != nullptr, style ? *style : std::string());
    role.unrendered = role.unrendered || hidden[i];
    role.tab_after = tabAfter;
    if (builder.open(role) != i) return false;
    Frame f{i};
    const std::vector<ContentPiece>& pieces = content[i];
    for (std::size_t k = pieces.size(); k-- > 0;) {
      const long c = pieces[k].child;
      if (c >= 0 && static_cast<std::size_t>(c) < elements.size() && isCell(elements[static_cast<std::size_t>(c)])) {
        f.lastCell = k + 1;
        break;
      }
    }
    stack.push_back(f);
    return true;
  };

  for (std::size_t root = 0; root < elements.size(); ++root) {
    if (elements[root].parent >= 0) continue;
    if (!open(root, false)) return nullptr;
    while (!stack.empty()) {
      Frame& top = stack.back();
      const std::vector<ContentPiece>& pieces = content[top.element];
      if (top.next >= pieces.size()) {
        builder.close(top.element);
        stack.pop_back();
        continue;
      }
      const std::size_t at = top.next++;
      const ContentPiece& piece = pieces[at];
      if (piece.child < 0) {
        builder.text(piece.text);
        continue;
      }
      const auto child = static_cast<std::size_t>(piece.child);
      // Children come right after everything before them, in order; anything
      // else is not a tree of this page.
      if (child != builder.size() || elements[child].parent != static_cast<long>(top.element)) return nullptr;
      const bool tabAfter = isCell(elements[child]) && at + 1 < top.lastCell;
      if (!open(child, tabAfter)) return nullptr;
    }
  }
  if (builder.size() != elements.size()) return nullptr;
  return std::make_shared<const RenderedText>(builder.finish());
}

}  // namespace larkspur::web
