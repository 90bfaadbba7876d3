#include "health/page_reading.h"

#include <algorithm>

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "core/target_health.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/field_names.h"
#include "submit/page_walk.h"
#include "submit/submit_states.h"
#include "web/html_parser.h"

namespace larkspur::health {

namespace {

// Page markers of a parked domain: the reason, or "".
std::string parkingMarker(const web::Document& doc, std::string_view body, const ParkingSignals& signals) {
  for (const web::Element& element : doc.elements()) {
    if (element.tag != "SCRIPT") continue;
    const std::string* src = element.attribute("src");
    if (!src) continue;
    for (const std::string& script : signals.scripts) {
      if (core::asciiContainsNoCase(*src, script)) return "the page loads a parked-domain ad script (" + script + ")";
    }
  }
  const std::string text = doc.size() > 0 ? doc.textOf(0) : std::string();
  for (const std::string& words : signals.texts) {
    if (core::asciiContainsNoCase(text, words)) return "the page says \"" + words + "\"";
  }
  // A lander's one-line script: it sets the location to a quoted lander path.
  if (core::asciiContainsNoCase(body, "location")) {
    for (const std::string& path : signals.landerPaths) {
      if (core::asciiContainsNoCase(body, "\"" + path) || core::asciiContainsNoCase(body, "'" + path)) {
        return "a script on the page sends to " + path;
      }
    }
  }
  return {};
}

// Takes every request of the walk and does nothing with it.
class QuietHost : public submit::SessionHost {
 public:
  void postProgress(bool) override {}
  void stopLoading() override {}
  void closeSession() override {}
};

// What a session fills the form with: a stand-in website, so the verdict
// does not depend on the project's profile.
const core::WebsiteProfile& standInProfile() {
  static const core::WebsiteProfile profile = [] {
    core::WebsiteProfile p;
    core::copyText(p.url, "http://www.example.com/");
    core::copyText(p.title, "Example");
    core::copyText(p.email, "owner@example.com");
    core::copyText(p.first_name, "Alex");
    core::copyText(p.last_name, "Example");
    core::copyText(p.short_description, "An example website.");
    core::copyText(p.long_description, "An example website, for checking the form.");
    core::copyText(p.keyword, "example");
    core::copyText(p.category, "Business");
    p.recomputeHost();
    return p;
  }();
  return profile;
}

bool hasForm(const web::Document& doc) {
  return std::ranges::any_of(doc.elements(), [](const web::Element& e) { return e.tag == "FORM"; });
}

}  // namespace

PageVerdict readPage(const core::EngineRecord& target, std::string_view body, const std::string& url,
                     std::string_view contentType, const ParkingSignals& signals) {
  web::Document doc = web::parseHtml(body, url, contentType);
  if (std::string marker = parkingMarker(doc, body, signals); !marker.empty()) {
    return {core::kHealthParked, std::move(marker)};
  }
  if (target.submit_type == core::kSubmitDirectRequest) {
    return {core::kHealthLive, "the page answers; the target is sent a direct request"};
  }
  if (target.submit_type == core::kSubmitManual) {
    if (hasForm(doc)) return {core::kHealthLive, "the page holds a form"};
    return {core::kHealthNoForm, "the page holds no form"};
  }

  core::EngineRecord record = target;
  record.submit_state.clear();
  record.message.clear();
  const core::WordLists words = core::buildWordLists(standInProfile());
  QuietHost host;
  submit::WalkSession session;
  session.record = &record;
  session.automatic = true;
  session.state = submit::SessionState::kLoaded;
  session.tokens = submit::fieldMapTokens(record.field_map.view());
  session.profile = &standInProfile();
  session.words = &words;
  session.host = &host;
  submit::walkPage(session, doc);
  if (record.submit_state == submit::kStateError) {
    return {core::kHealthNoForm, "the form cannot be sent: " + record.message.str()};
  }
  if (session.state >= submit::SessionState::kSubmitted) return {core::kHealthLive, "the form is there"};
  if (hasForm(doc)) return {core::kHealthNoForm, "the page holds a form, but not one the program can fill and send"};
  return {core::kHealthNoForm, "the page holds no form"};
}

}  // namespace larkspur::health
