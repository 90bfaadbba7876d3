// Absolute addresses of links and images.

#include <gtest/gtest.h>

#include "web/url_resolve.h"

namespace larkspur::web {
namespace {

struct UrlCase {
  const char* base;
  const char* reference;
  const char* expected;
};

class ResolveUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ResolveUrl, GivesTheBrowsersAddress) {
  EXPECT_EQ(resolveUrl(GetParam().base, GetParam().reference), GetParam().expected)
      << GetParam().base << " + " << GetParam().reference;
}

constexpr const char* kBase = "http://dir.example.net/add/form.html?x=1#top";

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveUrl,
    ::testing::Values(
        UrlCase{kBase, "submit.gif", "http://dir.example.net/add/submit.gif"},
        UrlCase{kBase, "../img/go.gif", "http://dir.example.net/img/go.gif"},
        UrlCase{kBase, "../../../x", "http://dir.example.net/x"},
        UrlCase{kBase, "/cgi-bin/add.cgi", "http://dir.example.net/cgi-bin/add.cgi"},
        UrlCase{kBase, "./?step=2", "http://dir.example.net/add/?step=2"},
        UrlCase{kBase, "?step=2", "http://dir.example.net/add/form.html?step=2"},
        UrlCase{kBase, "#later", "http://dir.example.net/add/form.html?x=1#later"},
        UrlCase{kBase, "", "http://dir.example.net/add/form.html?x=1"},
        UrlCase{kBase, "  \n sub\tmit.gif \n", "http://dir.example.net/add/submit.gif"},
        UrlCase{kBase, "my file.gif", "http://dir.example.net/add/my%20file.gif"},
        UrlCase{kBase, "\xC3\xA4.html", "http://dir.example.net/add/%C3%A4.html"},
        UrlCase{kBase, "//cdn.example.org/a.gif", "http://cdn.example.org/a.gif"},
        UrlCase{kBase, "HTTP://WWW.Example.COM:80/A/./b/../C", "http://www.example.com/A/C"},
        UrlCase{kBase, "https://secure.example.com", "https://secure.example.com/"},
        UrlCase{kBase, "javascript:document.f.submit()", "javascript:document.f.submit()"},
        UrlCase{kBase, "mailto:editor@example.net", "mailto:editor@example.net"},
        UrlCase{"http://example.com:8080/a/b", "c", "http://example.com:8080/a/c"},
        UrlCase{"", "http://example.com/x", "http://example.com/x"},
        UrlCase{"", "relative.gif", "relative.gif"},
        UrlCase{"not a url", "a b.gif", "a%20b.gif"}));

}  // namespace
}  // namespace larkspur::web
