// Real-world broken markup gives the elements a browser builds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "web/html_parser.h"

namespace larkspur::web {
namespace {

Document load(const std::string& name) {
  return parseHtml(test::readFile(std::string(LARKSPUR_FIXTURE_DIR) + "/pages/" + name),
                   "http://dir.example.net/add/");
}

std::vector<const Element*> all(const Document& doc, const std::string& tag) {
  std::vector<const Element*> out;
  for (const Element& e : doc.elements()) {
    if (e.tag == tag) out.push_back(&e);
  }
  return out;
}

TEST(BrokenMarkup, FormInsideTableWithUnclosedCells) {
  const Document doc = load("broken_table_form.html");
  EXPECT_EQ(doc.at(0).tag, "HTML");
  EXPECT_EQ(doc.at(1).tag, "HEAD");
  EXPECT_EQ(doc.title(), "Submit URL");
  const auto inputs = all(doc, "INPUT");
  ASSERT_EQ(inputs.size(), 4u);
  EXPECT_EQ(inputs[0]->name, "URL");
  EXPECT_EQ(inputs[0]->value, "http://");  // unquoted value with slashes
  EXPECT_EQ(inputs[1]->name, "EMAIL");
  EXPECT_EQ(inputs[2]->type, "SUBMIT");
  EXPECT_EQ(inputs[2]->value, "Submit URL");
  EXPECT_EQ(inputs[3]->type, "RESET");
  EXPECT_EQ(all(doc, "TD").size(), 5u);
  EXPECT_EQ(all(doc, "TR").size(), 3u);
}

TEST(BrokenMarkup, MissingStructureAndUnclosedElements) {
  const Document doc = load("broken_unclosed.html");
  ASSERT_GE(doc.size(), 4u);
  EXPECT_EQ(doc.at(0).tag, "HTML");
  EXPECT_EQ(doc.at(1).tag, "HEAD");
  EXPECT_EQ(doc.at(2).tag, "TITLE");
  EXPECT_EQ(doc.at(3).tag, "BODY");
  const auto inputs = all(doc, "INPUT");
  ASSERT_EQ(inputs.size(), 4u);
  EXPECT_EQ(inputs[0]->name, "site_url");
  EXPECT_EQ(inputs[0]->type, "TEXT");
  EXPECT_EQ(inputs[2]->name, "email");  // the input after the unclosed list is outside it
  EXPECT_EQ(inputs[3]->type, "SUBMIT");
  const auto lists = all(doc, "SELECT");
  ASSERT_EQ(lists.size(), 1u);
  ASSERT_EQ(lists[0]->options.size(), 3u);
  EXPECT_EQ(lists[0]->options[1].text, "Business");
  EXPECT_EQ(doc.textOf(static_cast<std::size_t>(all(doc, "P")[0] - doc.elements().data())), "Welcome to the free directory");
}

TEST(BrokenMarkup, CommentsAndScriptsHoldNoElements) {
  const Document doc = load("broken_comments_scripts.html");
  std::vector<std::string> names;
  for (const Element* e : all(doc, "INPUT")) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"url", "title", "real"}));
  EXPECT_EQ(all(doc, "FORM").size(), 1u);  // a form inside a form is dropped
  EXPECT_EQ(doc.textOf(0).find("fake"), std::string::npos);
}

}  // namespace
}  // namespace larkspur::web
