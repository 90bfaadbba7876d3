// Walks over saved add-URL and answer pages: what is filled, what is clicked,
// how the answer is classified and what the session's host is asked to do.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "submit/page_walk.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

using namespace testing;
using Actions = std::vector<web::PageAction>;

std::string message(const core::EngineRecord& r) { return std::string(r.message.view()); }
std::string state(const core::EngineRecord& r) { return std::string(r.submit_state.view()); }

std::vector<std::size_t> clicks(const web::Document& doc) {
  std::vector<std::size_t> out;
  for (const auto& a : doc.actions()) {
    if (a.kind == web::PageAction::Kind::kClick) out.push_back(a.element);
  }
  return out;
}

constexpr const char* kDirectory = "http://www.findall.example/addurl.html";

// ---- One saved add-URL page per submit type -------------------------------

TEST(PageWalk, FirstButtonTypeFillsTheFormAndClicksItsSubmitButton) {
  SessionFixture f({.name = "Findall", .submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("addurl_first_button.html", kDirectory);
  walkPage(f.session, doc);

  const std::size_t category = elementNamed(doc, "SELECT", "category");
  const Actions expected = {
      setValue(elementNamed(doc, "INPUT", "url"), "http://www.example-bakery.com/"),
      setValue(elementNamed(doc, "INPUT", "title"), "Example Bakery"),
      setValue(elementNamed(doc, "TEXTAREA", "description"),
               "A family bakery with fresh bread and cakes every day."),
      setValue(elementNamed(doc, "INPUT", "keywords"), "bakery, bread, cakes"),
      select(category, 2),  // "Business & Economy" scores 2 ...
      select(category, 4),  // ... "Food & Drink" 4
      select(elementNamed(doc, "SELECT", "country"), 2),
      setValue(elementNamed(doc, "INPUT", "contact_name"), "Anna Berg"),
      setValue(elementNamed(doc, "INPUT", "email"), "owner@example-bakery.com"),
      click(elementNamed(doc, "INPUT", "submit")),
  };
  EXPECT_EQ(doc.actions(), expected);
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "url")).value, "http://www.example-bakery.com/");
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
  EXPECT_EQ(message(f.record), "Send submit request.");
  EXPECT_EQ(f.host.progress, 1);
  // The rest of the form page ("Sites submitted ... Thank you") is not an answer.
  EXPECT_EQ(state(f.record), "");
  EXPECT_EQ(f.host.finals, 0);
}

TEST(PageWalk, CaptionTypeClicksTheControlWhoseCaptionMatchesInAnyCase) {
  SessionFixture f({.name = "Linkpilot", .submit_type = core::kSubmitCaption, .hint = "Add URL"});
  web::Document doc = loadPage("addurl_caption.html", "http://linkpilot.example/suggest.html");
  walkPage(f.session, doc);

  const Actions expected = {
      setValue(elementNamed(doc, "INPUT", "siteurl"), "http://www.example-bakery.com/"),
      setValue(elementNamed(doc, "INPUT", "site_title"), "Example Bakery"),
      setValue(elementNamed(doc, "TEXTAREA", "site_desc"),
               "A family bakery with fresh bread and cakes every day."),
      setValue(elementNamed(doc, "INPUT", "mail"), "owner@example-bakery.com"),
      click(elementNamed(doc, "INPUT", "go")),  // "ADD URL", not "Preview"
  };
  EXPECT_EQ(doc.actions(), expected);
  EXPECT_EQ(message(f.record), "Submit request.");
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
}

TEST(PageWalk, ImageTypeClicksTheImageAfterTheUrlFieldEvenOutsideTheForm) {
  SessionFixture f({.name = "Abacho CH", .submit_type = core::kSubmitImage,
                    .hint = "/images/btn_submit.gif"});
  web::Document doc = loadPage("addurl_image_outside_form.html", "http://www.abacho.ch/eintrag.html");
  walkPage(f.session, doc);

  const std::size_t form = elementWith(doc, "FORM", &web::Element::name, "eintrag");
  const std::size_t header_image = elementWith(doc, "IMG", &web::Element::src, "btn_submit.gif", 0);
  const std::size_t footer_image = elementWith(doc, "IMG", &web::Element::src, "btn_submit.gif", 1);
  EXPECT_LT(header_image, form);
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{footer_image});
  // The image is not a descendant of the form.
  for (int p = doc.at(footer_image).parent; p >= 0; p = doc.at(static_cast<std::size_t>(p)).parent) {
    EXPECT_NE(static_cast<std::size_t>(p), form);
  }
  EXPECT_EQ(message(f.record), "Send submit request.");
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "titel")).value, "Example Bakery");
}

TEST(PageWalk, CaptionTypeClicksAnImageInputByNameOrSource) {
  for (const char* hint : {"submitsite", "gfx/go.gif"}) {
    SessionFixture f({.name = "Netscout", .submit_type = core::kSubmitCaption, .hint = hint});
    web::Document doc = loadPage("addurl_image_input.html", "http://netscout.example/submit.html");
    walkPage(f.session, doc);
    EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementNamed(doc, "INPUT", "SubmitSite")}) << hint;
    EXPECT_EQ(message(f.record), "Submit request.");
  }
}

TEST(PageWalk, LinkWhoseAddressContainsTheHintIsClicked) {
  SessionFixture f({.name = "Dirlinks", .submit_type = core::kSubmitFirstButton,
                    .hint = "addsite.php?step=2"});
  web::Document doc = loadPage("addurl_link.html", "http://dir.example.net/addsite.php");
  walkPage(f.session, doc);
  const std::size_t next = elementWithText(doc, "A", "Next step");
  EXPECT_EQ(doc.at(next).href, "http://dir.example.net/addsite.php?step=2");
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{next});
  EXPECT_EQ(message(f.record), "Send submit request.");

  // Targets named Abacho never click links.
  SessionFixture abacho({.name = "Abacho UK", .submit_type = core::kSubmitFirstButton,
                         .hint = "addsite.php?step=2"});
  web::Document again = loadPage("addurl_link.html", "http://dir.example.net/addsite.php");
  walkPage(abacho.session, again);
  EXPECT_TRUE(clicks(again).empty());
  EXPECT_EQ(abacho.session.state, SessionState::kUrlFilled);
}

TEST(PageWalk, ManualSessionFillsButNeverClicks) {
  SessionFixture f({.name = "Findall", .submit_type = core::kSubmitFirstButton}, false);
  web::Document doc = loadPage("addurl_first_button.html", kDirectory);
  walkPage(f.session, doc);
  EXPECT_TRUE(clicks(doc).empty());
  EXPECT_EQ(doc.actions().size(), 9u);  // the same writes as the automatic walk
  EXPECT_EQ(f.session.state, SessionState::kUrlFilled);
  EXPECT_EQ(f.host.progress + f.host.finals, 0);

  // Even in state 3 a manual session classifies nothing.
  f.session.state = SessionState::kSubmitted;
  web::Document answer = loadPage("answer_nested.html", kDirectory);
  walkPage(f.session, answer);
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
  EXPECT_EQ(state(f.record), "");
}

// ---- Edge cases of the submit checks ---------------------------------------

TEST(PageWalk, ButtonBeforeTheUrlFieldIsNotClicked) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("url_after_button.html", "http://quick.example/add");
  walkPage(f.session, doc);
  EXPECT_TRUE(clicks(doc).empty());
  EXPECT_EQ(f.session.state, SessionState::kUrlFilled);
  // Another document-complete of the same page walks it again: the URL is in
  // by then, so the button qualifies.
  walkPage(f.session, doc);
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementWith(doc, "INPUT", &web::Element::value, "Send")});
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
}

TEST(PageWalk, OnlyTheFirstOfTwoSubmitButtonsIsClicked) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("two_submit_buttons.html", "http://add.example/");
  walkPage(f.session, doc);
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementNamed(doc, "INPUT", "send")});
  EXPECT_EQ(f.host.progress, 1);
}

TEST(PageWalk, TheControlPressedIsASubmitOneAfterTheUrlIsIn) {
  const struct {
    const char* form;
    const char* tag;
    const char* pressed;
  } kCases[] = {
      // A hidden field keeps the page's value ("x"); its name still counts.
      {"<input type=submit name=early><input type=hidden name=returnurl value=x><input type=submit name=late>",
       "INPUT", "late"},
      {"<input name=url><input type=button name=check value=Check><button type=submit name=go>Go</button>", "BUTTON",
       "go"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.form);
    SessionFixture f({.submit_type = core::kSubmitFirstButton});
    web::Document doc = web::parseHtmlUtf8(std::string("<form>") + c.form + "</form>", "http://x.example/");
    walkPage(f.session, doc);
    EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementNamed(doc, c.tag, c.pressed)});
    for (const web::Element& e : doc.elements()) {
      if (e.name == "returnurl") {
        EXPECT_EQ(e.value, "x");
      }
    }
  }
}

TEST(PageWalk, DomainServerFieldGetsTheHostAndMarksUrlFilled) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = web::parseHtmlUtf8(
      "<input name=domainserver><input type=button value=Next>", "http://x.example/");
  walkPage(f.session, doc);
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "domainserver")).value, "www.example-bakery.com");
  EXPECT_EQ(clicks(doc).size(), 1u);  // a BUTTON input counts for type 99
}

TEST(PageWalk, FieldMapAndRenameTableApplyDuringTheWalk) {
  SessionFixture f({.name = "Testengine", .field_map = "&a_text;DESCRIPTION;&siteaddr;URL"});
  f.rebuild();
  web::Document doc = web::parseHtmlUtf8(
      "<input name=a_text><input name=siteaddr><textarea name=a_text></textarea>", "http://x/");
  walkPage(f.session, doc);
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "a_text")).value,
            "A family bakery with fresh bread and cakes every day.");
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "siteaddr")).value, "http://www.example-bakery.com/");
  EXPECT_EQ(f.session.state, SessionState::kUrlFilled);

  SessionFixture cruiser({.name = "InternetCruiser", .submit_type = core::kSubmitCaption,
                          .hint = "add"});
  web::Document page = web::parseHtmlUtf8(
      "<input name=url><input type=image name=go src=/b.gif>", "http://x/");
  walkPage(cruiser.session, page);  // the image input is renamed ADD and matches the hint
  EXPECT_EQ(clicks(page), std::vector<std::size_t>{elementNamed(page, "INPUT", "go")});
}

TEST(PageWalk, TextAreaOnAnAnswerPageDoesNotUndoTheSubmission) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kSubmitted);
  web::Document doc = web::parseHtmlUtf8(
      "<form><textarea name=url></textarea><input type=submit value=Again></form>", "http://x/");
  walkPage(f.session, doc);
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
  EXPECT_TRUE(clicks(doc).empty());
  // The text area itself is still filled, as on every walk.
  EXPECT_EQ(doc.actions().size(), 1u);
}

// ---- Pages in other charsets and broken markup ------------------------------

TEST(PageWalk, GermanLatin1PageForBellnet) {
  SessionFixture f({.name = "Bellnet", .submit_type = core::kSubmitCaption,
                    .hint = "Bei bellnet anmelden", .success = "Die Seite"});
  core::copyText(f.profile.keyword, "B\u00E4ckerei, Brot");
  f.rebuild();
  web::Document doc = loadPage("de_latin1_bellnet.html", "http://www.bellnet.de/anmelden.html");
  walkPage(f.session, doc);

  const Actions expected = {
      setValue(elementNamed(doc, "INPUT", "url"), "http://www.example-bakery.com/"),
      setValue(elementNamed(doc, "INPUT", "titel"), "Example Bakery"),
      setValue(elementNamed(doc, "INPUT", "beschr"), "Fresh bread daily"),
      setValue(elementNamed(doc, "INPUT", "stadt"), "Germany"),
      setValue(elementNamed(doc, "INPUT", "tel"), "+45 1234 5678"),
      select(elementNamed(doc, "SELECT", "branche"), 2),  // "Bäckereien ..." holds "BÄCKEREI"
      setValue(elementNamed(doc, "TEXTAREA", "komment"),
               "A family bakery with fresh bread and cakes every day."),
      click(elementWith(doc, "INPUT", &web::Element::value, "anmelden")),
  };
  EXPECT_EQ(doc.actions(), expected);
  EXPECT_EQ(message(f.record), "Submit request.");
}

TEST(PageWalk, SwedishPageWithoutDeclaration) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("se_undeclared_form.html", "http://www.sokkatalogen.se/");
  walkPage(f.session, doc);
  EXPECT_EQ(doc.at(elementNamed(doc, "INPUT", "e_mail")).value, "owner@example-bakery.com");
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementWith(doc, "INPUT", &web::Element::value, "Skicka")});
}

TEST(PageWalk, DanishWindows1252AnswerForAhot) {
  SessionFixture f({.name = "Ahot", .success = "Tak", .already = "allerede"}, true,
                   SessionState::kSubmitted);
  web::Document doc = loadPage("dk_cp1252_answer.html", "http://www.ahot.dk/tilmeld");
  walkPage(f.session, doc);
  EXPECT_EQ(state(f.record), "Submit-OK");
  EXPECT_EQ(message(f.record), "Submit-OK");  // the success keyword comes first
  EXPECT_EQ(f.session.state, SessionState::kFinal);
}

TEST(PageWalk, RussianAnswerWithCharsetInTheHeaderOnly) {
  SessionFixture f({.success = "\u0441\u043F\u0430\u0441\u0438\u0431\u043E"}, true,
                   SessionState::kSubmitted);
  web::Document doc = loadPage("ru_cp1251_answer.html", "http://catalog.example.ru/add",
                               "text/html; charset=windows-1251");
  walkPage(f.session, doc);
  EXPECT_EQ(state(f.record), "Submit-OK");
}

TEST(PageWalk, BrokenTableFormStillSubmits) {
  SessionFixture f({.name = "Addurl", .submit_type = core::kSubmitCaption, .hint = "Submit URL"});
  web::Document doc = loadPage("broken_table_form.html", "http://www.addurl.example/");
  walkPage(f.session, doc);
  const std::size_t url = elementNamed(doc, "INPUT", "URL");
  EXPECT_EQ(doc.at(url).value, "http://www.example-bakery.com/");
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementWith(doc, "INPUT", &web::Element::value, "Submit URL")});
}

TEST(PageWalk, UnclosedMarkupStillSubmits) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("broken_unclosed.html", "http://free.example/add.php");
  walkPage(f.session, doc);
  const Actions expected = {
      setValue(elementNamed(doc, "INPUT", "site_url"), "http://www.example-bakery.com/"),
      setValue(elementNamed(doc, "INPUT", "your_name"), "Anna Berg"),
      select(elementNamed(doc, "SELECT", "cat"), 1),  // Business; "Shopping Mail:" only ties
      setValue(elementNamed(doc, "INPUT", "email"), "owner@example-bakery.com"),
      click(elementWith(doc, "INPUT", &web::Element::value, "Add")),
  };
  EXPECT_EQ(doc.actions(), expected);
}

TEST(PageWalk, MarkupInCommentsAndScriptsIsNeverClicked) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton});
  web::Document doc = loadPage("broken_comments_scripts.html", "http://links.example/add");
  walkPage(f.session, doc);
  EXPECT_EQ(clicks(doc), std::vector<std::size_t>{elementNamed(doc, "INPUT", "real")});
}

// ---- Answer pages -------------------------------------------------------------

TEST(PageWalk, AnswerIsClassifiedFromTheOutermostElementInwards) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kSubmitted);
  web::Document doc = loadPage("answer_nested.html", kDirectory);
  walkPage(f.session, doc);
  // The H1 alone says "Thank you!", but the page as a whole says "already".
  EXPECT_EQ(state(f.record), "Submit-OK");
  EXPECT_EQ(message(f.record), "Already Submited!");
  EXPECT_EQ(f.session.state, SessionState::kFinal);
  EXPECT_EQ(f.host.finals, 1);
  EXPECT_EQ(f.host.stops, 1);
  EXPECT_EQ(f.host.closes, 1);

  // A final session is not walked again: no second report.
  walkPage(f.session, doc);
  EXPECT_EQ(f.host.finals, 1);
}

TEST(PageWalk, OneCharacterTextsAreSkipped) {
  SessionFixture f({.success = "1"}, true, SessionState::kSubmitted);
  web::Document doc = loadPage("answer_one_char.html", kDirectory);
  walkPage(f.session, doc);
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
  EXPECT_EQ(state(f.record), "");

  SessionFixture two({.success = "OK"}, true, SessionState::kSubmitted);
  web::Document ok = web::parseHtmlUtf8("<p>\n  OK \n</p>", kDirectory);
  walkPage(two.session, ok);
  EXPECT_EQ(state(two.record), "Submit-OK");
}

TEST(PageWalk, NotFoundAnswerClosesWithoutStopping) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kSubmitted);
  web::Document doc = loadPage("answer_404.html", kDirectory);
  walkPage(f.session, doc);
  EXPECT_EQ(state(f.record), "Submit-Error");
  EXPECT_EQ(message(f.record), "Error 404:Object not found!");
  EXPECT_EQ(f.host.finals, 1);
  EXPECT_EQ(f.host.stops, 0);
  EXPECT_EQ(f.host.closes, 1);
}

TEST(PageWalk, SessionWithoutOwnWindowIsNotClosed) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kSubmitted);
  f.session.owned = false;
  web::Document doc = loadPage("answer_nested.html", kDirectory);
  walkPage(f.session, doc);
  EXPECT_EQ(f.host.finals, 1);
  EXPECT_EQ(f.host.stops + f.host.closes, 0);
}

TEST(PageWalk, UndecidedAnswerKeepsWaiting) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kSubmitted);
  web::Document doc = web::parseHtmlUtf8("<p>Please wait while we check your site</p>", kDirectory);
  walkPage(f.session, doc);
  EXPECT_EQ(f.session.state, SessionState::kSubmitted);
  EXPECT_EQ(f.host.progress + f.host.finals, 0);
}

TEST(PageWalk, NothingHappensWithoutRecordOrWhenFinal) {
  SessionFixture f({.submit_type = core::kSubmitFirstButton}, true, SessionState::kFinal);
  web::Document doc = loadPage("two_submit_buttons.html", kDirectory);
  walkPage(f.session, doc);
  EXPECT_TRUE(doc.actions().empty());
  f.session.state = SessionState::kLoaded;
  f.session.record = nullptr;
  walkPage(f.session, doc);
  EXPECT_TRUE(doc.actions().empty());
}

}  // namespace
}  // namespace larkspur::submit
