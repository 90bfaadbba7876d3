// A form filled as a careful person fills it, and an answer read for what
// the directory said: one table of field decisions, one of verdicts.
#include <gtest/gtest.h>

#include "submit/page_walk.h"
#include "submit/submit_states.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

using testing::SessionFixture;

TEST(CarefulWalk, FieldsGetWhatTheirKindAsksForAndKeepWhatThePageSets) {
  const struct {
    const char* html;
    const char* tag;
    const char* name;
    const char* value;  // what the field holds after the walk
  } kCases[] = {
      {"<input type=hidden name=url value=/thanks>", "INPUT", "url", "/thanks"},
      {"<input name=url readonly value=keep>", "INPUT", "url", "keep"},
      {"<input type=email name=yourname>", "INPUT", "yourname", "owner@example-bakery.com"},
      {"<input name=contact_name placeholder='Your e-mail'>", "INPUT", "contact_name", "owner@example-bakery.com"},
      {"<input name=site autocomplete=url>", "INPUT", "site", "http://www.example-bakery.com/"},
      {"<input type=tel name=fax>", "INPUT", "fax", "+45 1234 5678"},
      {"<input name=reciprocal_url>", "INPUT", "reciprocal_url", ""},
      {"<label>Link back page <input name=lb></label>", "INPUT", "lb", ""},
      {"<label for=f17>Site title</label><input id=f17 name=field_17>", "INPUT", "field_17", "Example Bakery"},
      {"<p>E-mail: <input name=field_3></p>", "INPUT", "field_3", "owner@example-bakery.com"},
      {"<input name=title maxlength=10>", "INPUT", "title", "Example"},
      {"<input name=title maxlength=10 minlength=9>", "INPUT", "title", "Example Ba"},
      {"<textarea name=description maxlength=20></textarea>", "TEXTAREA", "description", "A family bakery with"},
      {"<input type=checkbox name=url value=1>", "INPUT", "url", "1"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.html);
    SessionFixture f({.submit_type = core::kSubmitFirstButton}, false);
    web::Document doc = web::parseHtmlUtf8(std::string("<form>") + c.html + "</form>", "http://x.example/");
    walkPage(f.session, doc);
    EXPECT_EQ(doc.at(testing::elementNamed(doc, c.tag, c.name)).value, c.value);
  }
}

TEST(CarefulWalk, ChoicesArePlaceholdersReplacedAndTheFreeListing) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, false);
  web::Document doc = web::parseHtmlUtf8(
      "<form><select name=cat><option value=0>-- select --</option><option value=1>Arts</option>"
      "<option value=2>Business &gt; Bakeries</option><option value=3 disabled>Closed</option></select>"
      "<input type=radio name=plan value=premium> Premium ($10)"
      "<input type=radio name=plan value=basic id=b><label for=b>Basic listing - free</label></form>",
      "http://x.example/");
  walkPage(f.session, doc);
  EXPECT_EQ(doc.at(testing::elementNamed(doc, "SELECT", "cat")).selectedIndex(), 2);
  const std::size_t basic = testing::elementNamed(doc, "INPUT", "plan") + 1;
  EXPECT_NE(doc.at(basic).attribute("checked"), nullptr);
  EXPECT_EQ(doc.at(basic - 1).attribute("checked"), nullptr);
}

TEST(CarefulWalk, PagesThatNeedAPersonOrRefuseEndAtOnceWithTheirReason) {
  const struct {
    const char* html;
    SessionState state;   // where the session is when the page arrives
    const char* message;  // nullptr: still waiting for an answer
  } kCases[] = {
      {"<form><input name=url><input name=captcha><input type=submit></form>", SessionState::kLoaded,
       kMessageCaptcha},
      {"<form><input name=url><div class=g-recaptcha></div><input type=submit></form>", SessionState::kLoaded,
       kMessageCaptcha},
      {"<form><input name=url><input type=checkbox name=agree_terms><input type=submit></form>",
       SessionState::kLoaded, kMessageAcceptTerms},
      {"<div role=alert>Please select a category.</div><form><input name=url></form>", SessionState::kSubmitted,
       "Please select a category."},
      {"<p>The URL you entered is invalid.</p>", SessionState::kSubmitted, "The URL you entered is invalid."},
      {"<p>Fields marked * are required.</p><form><input name=url></form>", SessionState::kSubmitted, nullptr},
      {"<div class=error style='display: none'>Invalid code.</div>", SessionState::kSubmitted, nullptr},
      {"<form action='https://www.paypal.com/cgi-bin/webscr'><input type=submit value=Pay></form>",
       SessionState::kSubmitted, kMessagePayment},
      // The built-in words keep their precedence.
      {"<p>Thank you! Invalid entries are removed.</p>", SessionState::kSubmitted, kMessageSubmitOk},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.html);
    SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, c.state);
    web::Document doc = web::parseHtmlUtf8(c.html, "http://x.example/");
    walkPage(f.session, doc);
    if (!c.message) {
      EXPECT_NE(f.session.state, SessionState::kFinal);
      continue;
    }
    EXPECT_EQ(f.session.state, SessionState::kFinal);
    EXPECT_EQ(f.record.message.str(), c.message);
    EXPECT_EQ(f.record.submit_state.str(), c.message == std::string(kMessageSubmitOk) ? kStateOk : kStateError);
  }
}

}  // namespace
}  // namespace larkspur::submit
