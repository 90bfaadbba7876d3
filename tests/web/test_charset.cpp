// Charsets: the declared one is found and the page is read as UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/expect_each.h"
#include "tests/support/temp_dir.h"
#include "web/charset.h"
#include "web/html_parser.h"

namespace larkspur::web {
namespace {

std::string page(const std::string& name) {
  return test::readFile(std::string(LARKSPUR_FIXTURE_DIR) + "/pages/" + name);
}

const Element* first(const Document& doc, const std::string& tag) {
  for (const Element& e : doc.elements()) {
    if (e.tag == tag) return &e;
  }
  return nullptr;
}

// Rendered text of the first element with `tag`.
std::string firstText(const Document& doc, const std::string& tag) {
  const Element* e = first(doc, tag);
  return e ? doc.textOf(static_cast<std::size_t>(e - doc.elements().data())) : std::string();
}

TEST(Charset, FromContentType) {
  test::expectEach(charsetFromContentType, {{"text/html; charset=ISO-8859-1", "ISO-8859-1"},
                                            {"text/html;Charset = \"windows-1251\" ; x=y", "windows-1251"},
                                            {"text/html; charset='utf-8'", "utf-8"},
                                            {"text/html", ""},
                                            {"text/html; charsetx", ""},
                                            {"", ""}});
}

TEST(Charset, LabelsAreReadAsBrowsersReadThem) {
  test::expectEach(canonicalCharset, {{"ISO-8859-1", "WINDOWS-1252"}, {" latin1 ", "WINDOWS-1252"},
                                      {"us-ascii", "WINDOWS-1252"}, {"utf8", "UTF-8"},
                                      {"windows-1251", "WINDOWS-1251"}, {"", ""}});
}

TEST(Charset, ConvertsToUtf8) {
  // windows-1252 has the euro sign and typographic quotes where ISO-8859-1 has controls.
  const Utf8Conversion cp1252 = convertToUtf8("\x80 \x93q\x94 \xE6\xF8\xE5", "iso-8859-1");
  EXPECT_EQ(cp1252.text, "\u20AC \u201Cq\u201D \u00E6\u00F8\u00E5");
  EXPECT_TRUE(cp1252.exact);
  EXPECT_EQ(convertToUtf8("\xD1\xEF\xE0\xF1\xE8\xE1\xEE", "windows-1251").text,
            "\u0421\u043F\u0430\u0441\u0438\u0431\u043E");
  // A byte with no character in the charset becomes U+FFFD; the rest is kept.
  const Utf8Conversion gap = convertToUtf8("a\x81z", "windows-1252");
  EXPECT_EQ(gap.text, "a\uFFFDz");
  EXPECT_FALSE(gap.exact);
  // Unknown labels: valid UTF-8 stays UTF-8, anything else reads as windows-1252.
  EXPECT_EQ(convertToUtf8("caf\xC3\xA9", "x-no-such-charset").text, "caf\u00E9");
  EXPECT_EQ(convertToUtf8("caf\xE9", "x-no-such-charset").text, "caf\u00E9");
  // A byte order mark wins over the declaration and is dropped.
  EXPECT_EQ(convertToUtf8("\xEF\xBB\xBFok", "windows-1251").text, "ok");
  EXPECT_EQ(convertToUtf8(std::string("\xFF\xFEo\0k\0", 6), "").text, "ok");
}

TEST(Charset, MetaHttpEquivDeclaration) {
  const Document doc = parseHtml(page("de_latin1_bellnet.html"), "http://www.bellnet.de/anmelden");
  EXPECT_EQ(doc.charset(), "WINDOWS-1252");
  EXPECT_NE(firstText(doc, "P").find("Gr\u00F6\u00DFe"), std::string::npos);
  const Element* list = first(doc, "SELECT");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->options.size(), 4u);
  EXPECT_EQ(list->options[2].text, "B\u00E4ckereien und Konditoreien");
  EXPECT_EQ(list->options[3].text, "Stra\u00DFenbau");
}

TEST(Charset, MetaCharsetDeclaration) {
  const Document doc = parseHtml(page("dk_cp1252_answer.html"), "http://www.ahot.dk/tilmeld");
  EXPECT_EQ(doc.charset(), "WINDOWS-1252");
  EXPECT_EQ(doc.title(), "Tilmelding modtaget \u2013 Ahot");
  EXPECT_NE(doc.textOf(0).find("s\u00F8gemaskinen for Danmark, F\u00E6r\u00F8erne og Gr\u00F8nland"),
            std::string::npos);
}

TEST(Charset, HttpHeaderOnly) {
  const std::string bytes = page("ru_cp1251_answer.html");
  const Document doc = parseHtml(bytes, "http://catalog.example.ru/add", "text/html; charset=windows-1251");
  EXPECT_EQ(doc.title(), "\u0414\u043E\u0431\u0430\u0432\u0438\u0442\u044C \u0441\u0430\u0439\u0442");
  EXPECT_EQ(firstText(doc, "H2"), "\u0421\u043F\u0430\u0441\u0438\u0431\u043E!");
  // Without the header the page carries no declaration and is not UTF-8: it
  // reads as windows-1252, as a Western browser would show it.
  EXPECT_EQ(parseHtml(bytes, "http://catalog.example.ru/add").charset(), "WINDOWS-1252");
}

TEST(Charset, UndeclaredNonUtf8PageReadsAsWindows1252) {
  const Document doc = parseHtml(page("se_undeclared_form.html"), "http://www.sokkatalogen.se/");
  EXPECT_EQ(doc.charset(), "WINDOWS-1252");
  EXPECT_EQ(doc.title(), "L\u00E4gg till din webbplats");
}

TEST(Charset, HeaderWinsOverMeta) {
  const std::string html =
      "<meta charset=windows-1251><p>caf\xC3\xA9</p>";
  EXPECT_EQ(parseHtml(html, "http://x/", "text/html; charset=utf-8").textOf(0), "caf\u00E9");
  EXPECT_EQ(parseHtml(html, "http://x/").charset(), "WINDOWS-1251");
}

TEST(Charset, UndeclaredUtf8StaysUtf8) {
  const Document doc = parseHtml("<p>Gr\xC3\xB6\xC3\x9F" "e</p>", "http://x/");
  EXPECT_EQ(doc.charset(), "UTF-8");
  EXPECT_EQ(doc.textOf(0), "Gr\u00F6\u00DFe");
}

// The tree of the charset-finding parse is kept for an undeclared UTF-8 page;
// the names of unknown elements are read from the markup it was parsed from,
// short pages included.
TEST(Charset, UndeclaredShortPageKeepsItsUnknownElementNames) {
  for (const char* html : {"<htmml>\n<ead", "<x-y>z</x-y>", "<abc/>"}) {
    const Document doc = parseHtml(html, "http://x/");
    ASSERT_EQ(doc.size(), 4u) << html;
    const std::string tag = doc.at(3).tag;
    EXPECT_TRUE(tag == "HTMML" || tag == "X-Y" || tag == "ABC") << html << " gave " << tag;
  }
}

}  // namespace
}  // namespace larkspur::web
