// Form data sets and what clicks load: successful controls, the submitter,
// encodings and charsets, the action address, links and images in links.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/charset_encode.h"
#include "web/click_request.h"
#include "web/form_data.h"
#include "web/html_parser.h"

namespace larkspur::web {
namespace {

constexpr const char* kPage = "http://dir.example/add/form.html";

std::size_t find(const Document& doc, const std::string& tag, const std::string& name) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag && doc.at(i).name == name) return i;
  }
  ADD_FAILURE() << "no " << tag << " " << name;
  return doc.size();
}

std::size_t first(const Document& doc, const std::string& tag) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag) return i;
  }
  ADD_FAILURE() << "no " << tag;
  return doc.size();
}

std::vector<std::string> pairs(const std::vector<FormEntry>& entries) {
  std::vector<std::string> out;
  for (const FormEntry& e : entries) out.push_back(e.name + "=" + e.value + (e.file ? " (file)" : ""));
  return out;
}

TEST(FormDataSet, TakesOnlySuccessfulControlsInDocumentOrder) {
  Document doc = parseHtmlUtf8(R"(<form action="/go">
    <input type="hidden" name="h" value="1">
    <input name="t" value="typed">
    <input name="noname_has_value_but" disabled value="x">
    <input value="no name">
    <input type="checkbox" name="c1" value="yes" checked>
    <input type="checkbox" name="c2" value="yes">
    <input type="checkbox" name="c3" checked>
    <input type="radio" name="r" value="a"><input type="radio" name="r" value="b" checked>
    <fieldset disabled><input name="in_disabled_set" value="z"></fieldset>
    <select name="s"><option value="1">One<option selected>Two</select>
    <select name="m" multiple><option selected>A<option>B<option selected disabled>C</select>
    <textarea name="ta">line1
line2</textarea>
    <input type="file" name="f">
    <input type="reset" name="rs" value="Reset"><input type="button" name="bt" value="B">
    <input type="submit" name="s1" value="First"><input type="submit" name="s2" value="Second">
    <button name="b3" value="third">Third</button>
    <input type="image" name="img" src="go.gif">
  </form>)", kPage);
  const std::size_t form = first(doc, "FORM");
  const std::vector<std::string> common = {"h=1", "t=typed", "c1=yes", "c3=on", "r=b", "s=Two", "m=A",
                                           "ta=line1\nline2", "f= (file)"};
  auto with = [&common](std::vector<std::string> extra) {
    std::vector<std::string> all = common;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  };
  EXPECT_EQ(pairs(formDataSet(doc, form, std::nullopt, "UTF-8")), common);
  EXPECT_EQ(pairs(formDataSet(doc, form, find(doc, "INPUT", "s2"), "UTF-8")), with({"s2=Second"}));
  EXPECT_EQ(pairs(formDataSet(doc, form, find(doc, "BUTTON", "b3"), "UTF-8")), with({"b3=third"}));
  EXPECT_EQ(pairs(formDataSet(doc, form, find(doc, "INPUT", "img"), "UTF-8")), with({"img.x=0", "img.y=0"}));
}

TEST(FormDataSet, WrittenValuesAndSelectionsAreWhatIsSent) {
  Document doc = parseHtmlUtf8(R"(<form><input name="url" value="http://">
    <select name="c"><option>A<option>B</select><input type="image" src="x.gif">
    <input type="submit" name="go"><input type="hidden" name="_charset_"></form>)",
                               kPage);
  doc.setValue(find(doc, "INPUT", "url"), "http://www.example.com/");
  doc.selectOption(find(doc, "SELECT", "c"), 1);
  const std::size_t form = first(doc, "FORM");
  EXPECT_EQ(pairs(formDataSet(doc, form, find(doc, "INPUT", "go"), "ISO-8859-1")),
            (std::vector<std::string>{"url=http://www.example.com/", "c=B", "go=Submit", "_charset_=ISO-8859-1"}));
  // An image input without a name sends plain x and y.
  std::size_t image = 0;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).type == "IMAGE") image = i;
  }
  EXPECT_EQ(pairs(formDataSet(doc, form, image, "UTF-8")),
            (std::vector<std::string>{"url=http://www.example.com/", "c=B", "x=0", "y=0", "_charset_=UTF-8"}));
}

TEST(FormOwner, AncestorFormAttributeAndAFormClosedEarlyByATable) {
  Document doc = parseHtmlUtf8(R"(<form id="a"><input name="in_a"></form>
    <input name="outside"><input name="by_id" form="b">
    <table><form id="b" action="/b"><tr><td><input name="in_table"></td></tr></form></table>)",
                               kPage);
  const std::size_t formA = find(doc, "FORM", "");
  std::size_t formB = doc.size();
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == "FORM" && *doc.at(i).attribute("id") == "b") formB = i;
  }
  EXPECT_EQ(formOwner(doc, find(doc, "INPUT", "in_a")), formA);
  EXPECT_EQ(formOwner(doc, find(doc, "INPUT", "outside")), std::nullopt);
  EXPECT_EQ(formOwner(doc, find(doc, "INPUT", "by_id")), formB);
  EXPECT_EQ(formOwner(doc, find(doc, "INPUT", "in_table")), formB);
}

TEST(FormEncoding, UrlencodedAsBrowsersWriteIt) {
  const std::vector<FormEntry> entries = {{"q", "a b&c=d/é"}, {"t", "x\ny\r\nz\r"}, {"s", "*-._~!"}};
  EXPECT_EQ(urlEncodeForm(entries, "UTF-8"), "q=a+b%26c%3Dd%2F%C3%A9&t=x%0D%0Ay%0D%0Az%0D%0A&s=*-._%7E%21");
  // In a legacy charset, letters it has are single bytes and others become
  // character references.
  EXPECT_EQ(urlEncodeForm({{"n", "Bäckerei €"}}, "WINDOWS-1252"), "n=B%E4ckerei+%80");
  EXPECT_EQ(urlEncodeForm({{"n", "Bäckerei Ω"}}, "ISO-8859-1"), "n=B%E4ckerei+%26%23937%3B");
}

TEST(FormEncoding, MultipartPartsCarryNamesFilesAndTheBoundary) {
  const std::string body = multipartEncodeForm({{"url", "http://x/"}, {"a\"b", "l1\nl2"}, {"logo", "", true}},
                                               "UTF-8", "BOUND");
  EXPECT_EQ(body,
            "--BOUND\r\nContent-Disposition: form-data; name=\"url\"\r\n\r\nhttp://x/\r\n"
            "--BOUND\r\nContent-Disposition: form-data; name=\"a%22b\"\r\n\r\nl1\r\nl2\r\n"
            "--BOUND\r\nContent-Disposition: form-data; name=\"logo\"; filename=\"\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n\r\n"
            "--BOUND--\r\n");
}

TEST(FormEncoding, FormCharsetPrefersAcceptCharsetThenThePage) {
  EXPECT_EQ(formCharset("", "WINDOWS-1252"), "WINDOWS-1252");
  EXPECT_EQ(formCharset("ISO-8859-1", "UTF-8"), "WINDOWS-1252");
  EXPECT_EQ(formCharset("no-such-charset, koi8-r", "UTF-8"), "KOI8-R");
  EXPECT_EQ(formCharset("UTF-16", "WINDOWS-1252"), "UTF-8");
  EXPECT_EQ(formCharset("", ""), "UTF-8");
  EXPECT_EQ(convertFromUtf8("\xE4\xBD\xA0", "WINDOWS-1251"), "&#20320;");
  EXPECT_EQ(convertFromUtf8("a\xFFz", "WINDOWS-1252"), "a?z");
}

TEST(FormSubmission, MethodActionAndEncodingFromTheFormOrTheSubmitter) {
  struct Case {
    const char* html;
    const char* method;
    const char* url;
    const char* type;
    const char* body;
  } cases[] = {
      {R"(<form action="add.cgi?old=1#top"><input name="u" value="v w"><input type="submit"></form>)", "GET",
       "http://dir.example/add/add.cgi?u=v+w#top", "", ""},
      {R"(<form><input name="u" value="v"><input type="submit"></form>)", "GET",
       "http://dir.example/add/form.html?u=v", "", ""},
      {R"(<form action="  " method="POST"><input name="u" value="v"><input type="submit"></form>)", "POST",
       "http://dir.example/add/form.html", "application/x-www-form-urlencoded", "u=v"},
      {R"(<form action="/x" method="post" enctype="text/plain"><input name="u" value="v"><input type="submit"></form>)",
       "POST", "http://dir.example/x", "text/plain", "u=v\r\n"},
      {R"(<form action="/x" method="get"><input name="u" value="v">
          <input type="submit" formaction="../y" formmethod="post"></form>)",
       "POST", "http://dir.example/y", "application/x-www-form-urlencoded", "u=v"},
      {R"(<base href="http://other.example/dir/"><form action="z.php" method="post" accept-charset="ISO-8859-1">
          <input name="u" value="ä"><input type="submit"></form>)",
       "POST", "http://other.example/dir/z.php", "application/x-www-form-urlencoded", "u=%E4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    Document doc = parseHtmlUtf8(c.html, kPage);
    std::size_t submit = 0;
    for (std::size_t i = 0; i < doc.size(); ++i) {
      if (doc.at(i).type == "SUBMIT") submit = i;
    }
    const auto request = requestForClick(doc, submit);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->method, c.method);
    EXPECT_EQ(request->url, c.url);
    EXPECT_EQ(request->contentType, c.type);
    EXPECT_EQ(request->body, c.body);
    EXPECT_EQ(request->referer, kPage);
  }
}

TEST(FormSubmission, MultipartRequestNamesItsBoundary) {
  Document doc = parseHtmlUtf8(
      R"(<form method="post" enctype="multipart/form-data"><input name="u" value="v"><input type="submit"></form>)",
      kPage);
  const auto request = requestForClick(doc, first(doc, "INPUT") + 1, "XYZ");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->contentType, "multipart/form-data; boundary=XYZ");
  EXPECT_EQ(request->body, "--XYZ\r\nContent-Disposition: form-data; name=\"u\"\r\n\r\nv\r\n--XYZ--\r\n");
}

TEST(ClickRequest, WhatAClickLoads) {
  Document doc = parseHtmlUtf8(R"HTML(<body>
    <a href="/next.html" target="_top"><img src="go.gif" id="in_link"><span>text</span></a>
    <a href="javascript:submitForm()"><img src="js.gif"></a>
    <a name="anchor_only"><img src="plain.gif"></a>
    <a href="#section">jump</a>
    <img src="alone.gif">
    <form action="/f"><input type="button" value="Add" name="b"><input type="reset" name="r">
      <input type="submit" name="off" disabled><button type="button" name="bb"><img src="in_button.gif"></button>
      <button name="sb"><img src="in_submit.gif"></button></form>
    <input type="submit" name="orphan">
  </body>)HTML",
                               kPage);
  auto img = [&doc](const std::string& part) {
    for (std::size_t i = 0; i < doc.size(); ++i) {
      if (doc.at(i).tag == "IMG" && doc.at(i).src.find(part) != std::string::npos) return i;
    }
    return doc.size();
  };
  const auto link = requestForClick(doc, img("go.gif"));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->method, "GET");
  EXPECT_EQ(link->url, "http://dir.example/next.html");
  EXPECT_EQ(link->target, "_top");
  EXPECT_EQ(requestForClick(doc, find(doc, "A", ""))->url, "http://dir.example/next.html");
  EXPECT_FALSE(requestForClick(doc, img("js.gif"))) << "no scripts run";
  EXPECT_FALSE(requestForClick(doc, img("plain.gif")));
  EXPECT_FALSE(requestForClick(doc, img("alone.gif")));
  EXPECT_FALSE(requestForClick(doc, find(doc, "INPUT", "b")));
  EXPECT_FALSE(requestForClick(doc, find(doc, "INPUT", "r")));
  EXPECT_FALSE(requestForClick(doc, find(doc, "INPUT", "off")));
  EXPECT_FALSE(requestForClick(doc, img("in_button.gif")));
  EXPECT_FALSE(requestForClick(doc, find(doc, "INPUT", "orphan")));
  EXPECT_FALSE(requestForClick(doc, doc.size() + 3));
  const auto viaButton = requestForClick(doc, img("in_submit.gif"));
  ASSERT_TRUE(viaButton);
  EXPECT_EQ(viaButton->url, "http://dir.example/f?sb=");
  std::size_t jump = doc.size();
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == "A" && doc.textOf(i) == "jump") jump = i;
  }
  EXPECT_FALSE(requestForClick(doc, jump)) << "a jump within the page loads nothing";
}

}  // namespace
}  // namespace larkspur::web
