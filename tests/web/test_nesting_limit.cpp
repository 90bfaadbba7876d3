// Nesting cut at 512 levels before parsing: deep pages come out flat beyond
// the limit with every element kept in order, whatever markup tricks try to
// nest deeper than the cut counts; pages that stay within it are untouched.

#include <gtest/gtest.h>
#include <gumbo.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures/farm/hostile_pages.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/temp_dir.h"
#include "web/http_engine.h"
#include "web/html_parser.h"
#include "web/nesting_limit.h"
#include "web/tree_text.h"

namespace larkspur::web {
namespace {

constexpr const char* kUrl = "http://dir.example.net/deep.html";

std::string repeat(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Deepest element: 1 for HTML.
std::size_t maxDepth(const Document& doc) {
  std::vector<std::size_t> depth(doc.size(), 1);
  std::size_t deepest = 0;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const int parent = doc.at(i).parent;
    if (parent >= 0) depth[i] = depth[static_cast<std::size_t>(parent)] + 1;
    deepest = std::max(deepest, depth[i]);
  }
  return deepest;
}

std::vector<std::string> tags(const Document& doc) {
  std::vector<std::string> out;
  for (const Element& e : doc.elements()) out.push_back(e.tag);
  return out;
}

// The element tags gumbo itself gives for `html`, uncut, in document order.
std::vector<std::string> gumboTags(const std::string& html) {
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
  std::vector<std::string> out;
  std::vector<const GumboNode*> stack{output->root};
  while (!stack.empty()) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    if (n->type != GUMBO_NODE_ELEMENT && n->type != GUMBO_NODE_TEMPLATE) continue;
    std::string tag;
    if (n->v.element.tag != GUMBO_TAG_UNKNOWN) {
      tag = gumbo_normalized_tagname(n->v.element.tag);
    } else {
      GumboStringPiece piece = n->v.element.original_tag;
      gumbo_tag_from_original_text(&piece);
      tag.assign(piece.data, piece.length);
    }
    for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out.push_back(tag);
    if (n->type == GUMBO_NODE_TEMPLATE) continue;
    const GumboVector& kids = n->v.element.children;
    for (unsigned i = kids.length; i-- > 0;) stack.push_back(static_cast<const GumboNode*>(kids.data[i]));
  }
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  return out;
}

struct DeepCase {
  const char* name;
  const char* prefix;
  const char* piece;  // repeated 1500 times
  // Closing an element inside a table, a list or a link the parser reopens
  // moves what follows elsewhere, so there the order changes.
  bool same_order = true;
};

class DeepMarkup : public ::testing::TestWithParam<DeepCase> {};

TEST_P(DeepMarkup, IsCutToTheLimitWithEveryElementInOrder) {
  const std::string html = GetParam().prefix + repeat(GetParam().piece, 1500) + "<p id=last>end";
  const Document doc = parseHtmlUtf8(html, kUrl);
  EXPECT_LE(maxDepth(doc), kMaxNestingDepth);
  if (GetParam().same_order) {
    EXPECT_TRUE(tags(doc) == gumboTags(html));  // too long to print
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tricks, DeepMarkup,
    ::testing::Values(
        DeepCase{"Plain", "", "<div>x"},
        DeepCase{"SelfClosing", "", "<div/><span/>"},
        DeepCase{"StrayEndTags", "", "<div><span></span></b></i></td></table></p></li></form>"},
        DeepCase{"EndTagOfAnotherElementBelow", "<span>", "<div></span>"},
        DeepCase{"FakeEndTagsInRawText", "",
                 "<div><textarea></div></textarea><script>'</div>'</script><style></div></style>"
                 "<title></div></title><xmp></div></xmp>"},
        DeepCase{"FakeEndTagsInComments", "", "<div><!-- </div> --><!x </div>><? </div> >"},
        DeepCase{"AbruptComments", "", "<!--><div><!---><div></div>"},
        DeepCase{"QuotedGreaterThan", "", "<div title='></div>' class=\"></div>\">"},
        DeepCase{"NestedTables", "", "<table><tr><td>", false},
        DeepCase{"TablesWithoutRows", "", "<table><td><col>", false},
        DeepCase{"SvgInsideSvg", "<svg>", "<g><style></g>"},
        DeepCase{"SvgTitle", "<svg><title>", "<g><desc>"},
        DeepCase{"ForeignObject", "<svg>", "<foreignObject><div/>"},
        DeepCase{"Noscript", "", "<noscript><div>"},
        DeepCase{"FormattingReopened", "", "<p><b id=x>text"},
        DeepCase{"LinksAroundBlocks", "", "<a href=x><div><a href=y>", false},
        DeepCase{"FormEnd", "", "<form><div></form>"},
        DeepCase{"Select", "", "<select><div><p>", false},
        DeepCase{"ListItems", "", "<ul><li><div>"}),
    [](const auto& info) { return std::string(info.param.name); });

// Markup that never nests deep, however long: left exactly as it is.
TEST(NestingLimit, LeavesShallowPagesByteForByte) {
  const char* pieces[] = {
      "<p>para",           "<li>item",         "<option>one",   "<tr><td>a<td>b",
      "<dt>t<dd>d",        "<td><font>x</td>", "<svg><path d=x/><circle/></svg>",
      "<p><b>bold<p>more", "<h1>a<h2>b",       "<a href=1>one<a href=2>two",
  };
  for (const char* piece : pieces) {
    const std::string html = "<table>" + repeat(piece, 2000);
    EXPECT_TRUE(limitNesting(html) == html) << piece;
  }
  for (const auto& entry : std::filesystem::directory_iterator(std::string(LARKSPUR_FIXTURE_DIR) + "/pages")) {
    const std::string html = test::readFile(entry.path());
    EXPECT_TRUE(limitNesting(html) == html) << entry.path();
  }
}

TEST(NestingLimit, FlattensBeyondTheLimitAndDropsTheFlattenedEndTags) {
  EXPECT_EQ(limitNesting("<div><div><div><div>x</div></div></div></div>", 4),
            "<div><div></div><div></div><div>x</div></div>");
  EXPECT_EQ(limitNesting("<b><i><u>x</u></i></b>", 3), "<b></b><i></i><u>x</u>");
}

TEST(NestingLimit, VeryDeepPagesParseQuicklyWithinTheLimit) {
  for (const std::size_t levels : {50'000u, 300'000u}) {
    const auto start = std::chrono::steady_clock::now();
    const Document doc = parseHtmlUtf8(repeat("<div>", levels) + "deep" + repeat("</div>", levels), kUrl);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Past the node limit only the text is kept.
    EXPECT_EQ(doc.size(), std::min(levels, kMaxMarkupNodes) + 3);
    EXPECT_LE(maxDepth(doc), kMaxNestingDepth);
    EXPECT_EQ(doc.textOf(doc.size() - 1), "deep");
    EXPECT_LT(seconds, 10.0) << levels;
  }
}

TEST(NestingLimit, MarkupPastTheNodeLimitIsLeftOutAndItsTextKept) {
  struct Case {
    const char* html;
    std::size_t nodes;
    const char* out;
  } cases[] = {
      {"<p>a</p><p>b</p><!--c--><p>d</p>", 2, "<p>a</p><p>b</p>d"},
      {"<b>a</b><i>b</i>", 1, "<b>a</b>b"},
      {"<p>a<!doctype x><?pi?><br>b < c", 1, "<p>ab < c"},
      {"<p>x</p>", 5, "<p>x</p>"},
  };
  for (const Case& c : cases) EXPECT_EQ(limitNesting(c.html, kMaxNestingDepth, c.nodes), c.out) << c.html;
}

// The text of an element is put together within a bound, cut at a
// character boundary.
TEST(NestingLimit, ElementTextsAreBounded) {
  const std::string long_text = "a" + repeat("\u00E9", Document::kTextLimit);
  const Document doc = parseHtmlUtf8("<p>" + long_text + "</p>", kUrl);
  EXPECT_EQ(doc.textOf(doc.size() - 1), long_text.substr(0, Document::kTextLimit - 1));
  // Two text items (its line breaks) per empty DIV: more DIVs than a parsed
  // page may have, as a tree of elements from elsewhere may hold.
  const std::size_t divs = Document::kTextItemLimit / 2 + 1;
  std::vector<Element> elements(divs + 2);
  std::vector<std::vector<ContentPiece>> content(divs + 2);
  elements[0].tag = "BODY";
  for (std::size_t i = 1; i < elements.size(); ++i) {
    elements[i].tag = i <= divs ? "DIV" : "P";
    elements[i].parent = 0;
    content[0].push_back({{}, static_cast<long>(i)});
  }
  content.back().push_back({"late", -1});
  const Document many(kUrl, "UTF-8", elements,
                      renderedTextOfTree(elements, content, std::vector<bool>(elements.size(), false)));
  EXPECT_EQ(many.textOf(0), "");  // BODY's items run out before the late paragraph
  EXPECT_EQ(many.textOf(many.size() - 1), "late");
}

// Every hostile page of the farm loads through the HTTP engine like any other
// page: one completed document, its title shown, nesting within the limit.
TEST(NestingLimit, HostilePagesLoadThroughTheHttpEngine) {
  struct Events : BrowserEvents {
    void documentComplete(Document& document) override { documents.push_back(document); }
    void titleChange(const std::string& title) override { titles.push_back(title); }
    void navigationError(const std::string&, const std::string&, uint32_t code, LoadScope) override {
      errors.push_back(code);
    }
    std::vector<Document> documents;
    std::vector<std::string> titles;
    std::vector<uint32_t> errors;
  };
  farm::TargetFarm site;
  ASSERT_TRUE(site.start());
  for (const farm::HostilePage& page : farm::hostilePages()) {
    Events events;
    HttpEngine engine;
    engine.setEvents(&events);
    engine.navigate(site.baseUrl() + page.path);
    engine.runPending();
    ASSERT_EQ(events.documents.size(), 1u) << page.what;
    EXPECT_TRUE(events.errors.empty()) << page.what;
    EXPECT_EQ(events.titles.size(), 1u) << page.what;
    EXPECT_LE(maxDepth(events.documents[0]), kMaxNestingDepth) << page.what;
  }
  Events events;
  HttpEngine engine;
  engine.setEvents(&events);
  engine.navigate(site.baseUrl() + "/hostile/nested");
  engine.runPending();
  ASSERT_EQ(events.documents.size(), 1u);
  const Document& deep = events.documents[0];
  // Past the element limit the markup is left out and the document says so.
  EXPECT_EQ(deep.size(), kMaxMarkupNodes);
  EXPECT_TRUE(deep.cut());
  EXPECT_EQ(deep.title(), "Deep");
}

}  // namespace
}  // namespace larkspur::web
