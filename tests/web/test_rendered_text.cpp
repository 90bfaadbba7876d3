// Element texts as a browser's innerText gives them.

#include <gtest/gtest.h>

#include "tests/support/element_case.h"
#include "web/html_parser.h"

namespace larkspur::web {
namespace {

// The text of the first element with the tag.
using TextCase = test::ElementCase;

class RenderedText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RenderedText, MatchesInnerText) {
  const Document doc = parseHtmlUtf8(GetParam().html, "http://example.com/");
  EXPECT_EQ(doc.textOf(test::elementTagged(doc, GetParam().tag)), GetParam().expected) << GetParam().html;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderedText,
    ::testing::Values(
        TextCase{"<p>  many   blanks\n here </p>", "P", "many blanks here"},
        TextCase{"<span>a<b> b</b> c</span>", "SPAN", "a b c"},
        TextCase{"<div>one</div><div>two</div>", "BODY", "one\ntwo"},
        TextCase{"<p>one</p><p>two</p>", "BODY", "one\n\ntwo"},
        TextCase{"<h1>Head</h1>text", "BODY", "Head\ntext"},
        TextCase{"<p>line <br> next</p>", "P", "line\nnext"},
        TextCase{"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "TABLE",
                 "a\tb\nc"},
        TextCase{"<ul><li>x<li>y</ul>", "UL", "x\ny"},
        TextCase{"<pre>keep   this\n  too</pre>", "PRE", "keep   this\n  too"},
        // Text that is not shown stays out of the enclosing elements' texts.
        TextCase{"<p>a<script>var t='THANK YOU';</script>b</p>", "P", "ab"},
        TextCase{"<style>p{}</style><p>x</p>", "BODY", "x"},
        TextCase{"<p>shown<span hidden>secret</span></p>", "P", "shown"},
        TextCase{"<p>shown<span style='DISPLAY: none'>secret</span></p>", "P", "shown"},
        TextCase{"<p>a<select><option>one<option>two</select>b</p>", "P", "ab"},
        TextCase{"<p>a<textarea>typed</textarea>b</p>", "P", "ab"},
        TextCase{"<p>a<input type=hidden value=secret>b</p>", "P", "ab"},
        TextCase{"<title>The title</title><p>body</p>", "HTML", "body"},
        // ... but an element that is not shown still has its own text.
        TextCase{"<title> The  title </title>", "TITLE", "The title"},
        TextCase{"<title>T</title><script>x()</script>", "HEAD", "T"},
        TextCase{"<p>a<span hidden>secret</span></p>", "SPAN", "secret"},
        TextCase{"<select><option>one<option>two</select>", "SELECT", "one\ntwo"},
        TextCase{"<script>var t='THANK YOU';</script>", "SCRIPT", ""},
        TextCase{"<p>a&amp;b&nbsp;c</p>", "P", "a&b\u00A0c"}));

}  // namespace
}  // namespace larkspur::web
