// The document model built from HTML: element order, properties, options and
// the actions recorded by writes and clicks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/element_case.h"
#include "web/html_parser.h"

namespace larkspur::web {
namespace {

constexpr const char* kPage = "http://dir.example.net/add/form.html";

std::vector<std::string> tags(const Document& doc) {
  std::vector<std::string> out;
  for (const Element& e : doc.elements()) out.push_back(e.tag);
  return out;
}

using test::elementTagged;

TEST(DocumentModel, ListsElementsInDocumentOrderWithImpliedOnes) {
  const Document doc = parseHtmlUtf8(
      "<title>T</title><p>one <b>two</b></p><form><input name=a><custom-Tag>x</custom-Tag></form>",
      kPage);
  EXPECT_EQ(tags(doc), (std::vector<std::string>{"HTML", "HEAD", "TITLE", "BODY", "P", "B",
                                                 "FORM", "INPUT", "CUSTOM-TAG"}));
  EXPECT_EQ(doc.at(0).parent, -1);
  EXPECT_EQ(doc.at(5).parent, 4);  // B inside P
  EXPECT_EQ(doc.at(7).parent, 6);  // INPUT inside FORM
  EXPECT_EQ(doc.title(), "T");
  EXPECT_EQ(doc.url(), kPage);
}

TEST(DocumentModel, TemplateContentsAreNotElementsOfThePage) {
  const Document doc = parseHtmlUtf8("<template><input name=t></template><input name=real>", kPage);
  for (const Element& e : doc.elements()) EXPECT_NE(e.name, "t");
  EXPECT_EQ(doc.at(elementTagged(doc, "INPUT")).name, "real");
}

// The type of the first element with the tag.
using TypeCase = test::ElementCase;

class ElementType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ElementType, ReadsInCapitalsWithBrowserDefaults) {
  const Document doc = parseHtmlUtf8(GetParam().html, kPage);
  EXPECT_EQ(doc.at(elementTagged(doc, GetParam().tag)).type, GetParam().expected) << GetParam().html;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ElementType,
    ::testing::Values(TypeCase{"<input name=a>", "INPUT", "TEXT"},
                      TypeCase{"<input type=Submit>", "INPUT", "SUBMIT"},
                      TypeCase{"<input TYPE=' image '>", "INPUT", "IMAGE"},
                      TypeCase{"<input type=hidden>", "INPUT", "HIDDEN"},
                      TypeCase{"<input type=sumbit>", "INPUT", "TEXT"},
                      TypeCase{"<button>Go</button>", "BUTTON", "SUBMIT"},
                      TypeCase{"<button type=Reset>R</button>", "BUTTON", "RESET"},
                      TypeCase{"<button type=button>B</button>", "BUTTON", "BUTTON"},
                      TypeCase{"<button type=nonsense>N</button>", "BUTTON", "SUBMIT"},
                      TypeCase{"<select><option>a</select>", "SELECT", "SELECT-ONE"},
                      TypeCase{"<select multiple><option>a</select>", "SELECT", "SELECT-MULTIPLE"},
                      TypeCase{"<textarea></textarea>", "TEXTAREA", "TEXTAREA"}));

TEST(DocumentModel, ReadsNamesValuesAndAttributes) {
  const Document doc = parseHtmlUtf8(
      "<input name=Url value='http://'><input type=checkbox name=c>"
      "<textarea name=d>\nline one\nline two</textarea>"
      "<input name=first name=second data-x=\"a&amp;b\">",
      kPage);
  const Element& url = doc.at(elementTagged(doc, "INPUT", 0));
  EXPECT_EQ(url.name, "Url");
  EXPECT_EQ(url.value, "http://");
  EXPECT_EQ(doc.at(elementTagged(doc, "INPUT", 1)).value, "on");  // checkbox without value
  EXPECT_EQ(doc.at(elementTagged(doc, "TEXTAREA")).value, "line one\nline two");
  const Element& dup = doc.at(elementTagged(doc, "INPUT", 2));
  EXPECT_EQ(dup.name, "first");  // the first of duplicate attributes counts
  ASSERT_NE(dup.attribute("data-x"), nullptr);
  EXPECT_EQ(*dup.attribute("data-x"), "a&b");
  EXPECT_EQ(dup.attribute("missing"), nullptr);
}

TEST(DocumentModel, ResolvesLinksAndImageSourcesAgainstPageAndBase) {
  const Document plain = parseHtmlUtf8(
      "<a href='../help.html'>h</a><img src='img/go.gif'><a name=anchor>no href</a><a href=''>self</a>",
      kPage);
  EXPECT_EQ(plain.at(elementTagged(plain, "A", 0)).href, "http://dir.example.net/help.html");
  EXPECT_EQ(plain.at(elementTagged(plain, "IMG")).src, "http://dir.example.net/add/img/go.gif");
  EXPECT_EQ(plain.at(elementTagged(plain, "A", 1)).href, "");
  EXPECT_EQ(plain.at(elementTagged(plain, "A", 2)).href, kPage);

  // A BASE element applies to the whole page, also to links before it.
  const Document based = parseHtmlUtf8(
      "<a href='x.cgi'>before</a><base href='http://cdn.example.org/site/'><img src='/i.gif'>"
      "<a href='javascript:document.f.submit()'>js</a>",
      kPage);
  EXPECT_EQ(based.at(elementTagged(based, "A", 0)).href, "http://cdn.example.org/site/x.cgi");
  EXPECT_EQ(based.at(elementTagged(based, "IMG")).src, "http://cdn.example.org/i.gif");
  EXPECT_EQ(based.at(elementTagged(based, "A", 1)).href, "javascript:document.f.submit()");
}

TEST(DocumentModel, ReadsOptionsAndSelection) {
  const Document doc = parseHtmlUtf8(
      "<select name=a><option>  First \n one </option><option value=v2>Second</select>"
      "<select name=b><option>x<option selected>y<option selected>z</select>"
      "<select name=c><option disabled>-<option>ok</select>"
      "<select name=d multiple><option>p<option>q</select>"
      "<select name=e><optgroup label=g><option value=1>in group</optgroup><option>after</select>",
      kPage);
  const Element& a = doc.at(elementTagged(doc, "SELECT", 0));
  ASSERT_EQ(a.options.size(), 2u);
  EXPECT_EQ(a.options[0].text, "First one");
  EXPECT_EQ(a.options[0].value, "First one");
  EXPECT_EQ(a.options[1].value, "v2");
  EXPECT_EQ(a.selectedIndex(), 0);
  EXPECT_EQ(a.value, "First one");
  EXPECT_EQ(doc.at(elementTagged(doc, "SELECT", 1)).selectedIndex(), 2);  // last one marked wins
  EXPECT_EQ(doc.at(elementTagged(doc, "SELECT", 2)).selectedIndex(), 1);  // disabled first skipped
  EXPECT_EQ(doc.at(elementTagged(doc, "SELECT", 3)).selectedIndex(), -1);
  const Element& e = doc.at(elementTagged(doc, "SELECT", 4));
  ASSERT_EQ(e.options.size(), 2u);
  EXPECT_EQ(e.options[0].text, "in group");
}

TEST(DocumentModel, WritesChangeTheModelAndAreRecordedInOrder) {
  Document doc = parseHtmlUtf8(
      "<input name=u><select name=s><option>a<option>b<option>c</select>"
      "<select name=m multiple><option>p<option>q</select><input type=submit>",
      kPage);
  const std::size_t u = elementTagged(doc, "INPUT", 0), s = elementTagged(doc, "SELECT", 0),
                    m = elementTagged(doc, "SELECT", 1), b = elementTagged(doc, "INPUT", 1);

  EXPECT_TRUE(doc.setValue(u, "http://www.example.com/"));
  EXPECT_EQ(doc.at(u).value, "http://www.example.com/");
  EXPECT_TRUE(doc.selectOption(s, 2));
  EXPECT_TRUE(doc.selectOption(s, 1));
  EXPECT_EQ(doc.at(s).selectedIndex(), 1);
  EXPECT_FALSE(doc.at(s).options[2].selected);  // single choice: the earlier one is gone
  EXPECT_EQ(doc.at(s).value, "b");
  EXPECT_TRUE(doc.selectOption(m, 0));
  EXPECT_TRUE(doc.selectOption(m, 1));
  EXPECT_TRUE(doc.at(m).options[0].selected && doc.at(m).options[1].selected);
  EXPECT_TRUE(doc.click(b));

  // Bad requests change nothing and are not recorded.
  EXPECT_FALSE(doc.setValue(doc.size(), "x"));
  EXPECT_FALSE(doc.selectOption(s, 3));
  EXPECT_FALSE(doc.selectOption(u, 0));
  EXPECT_FALSE(doc.click(doc.size()));

  using K = PageAction::Kind;
  const std::vector<PageAction> expected = {
      {K::kSetValue, u, 0, "http://www.example.com/"}, {K::kSelectOption, s, 2, ""},
      {K::kSelectOption, s, 1, ""}, {K::kSelectOption, m, 0, ""}, {K::kSelectOption, m, 1, ""},
      {K::kClick, b, 0, ""}};
  EXPECT_EQ(doc.actions(), expected);
  doc.clearActions();
  EXPECT_TRUE(doc.actions().empty());
}

TEST(DocumentModel, EmptyOrTextOnlyInputStillHasTheDocumentFrame) {
  EXPECT_EQ(tags(parseHtmlUtf8("", kPage)), (std::vector<std::string>{"HTML", "HEAD", "BODY"}));
  const Document doc = parseHtmlUtf8("just text", kPage);
  EXPECT_EQ(doc.textOf(0), "just text");
}

}  // namespace
}  // namespace larkspur::web
