#pragma once
// Shared pieces of the submission rule tests: a filled-in profile, target
// records, the saved pages and a host that records what a walk asked for.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "core/engine_record.h"
#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/field_names.h"
#include "submit/walk_session.h"
#include "tests/support/temp_dir.h"
#include "web/document.h"
#include "web/html_parser.h"

namespace larkspur::submit::testing {

inline core::WebsiteProfile bakeryProfile() {
  core::WebsiteProfile p;
  core::copyText(p.url, "http://www.example-bakery.com/");
  core::copyText(p.title, "Example Bakery");
  core::copyText(p.email, "owner@example-bakery.com");
  core::copyText(p.first_name, "Anna");
  core::copyText(p.last_name, "Berg");
  core::copyText(p.user, "annab");
  core::copyText(p.password, "s3cret");
  core::copyText(p.zip, "8000");
  core::copyText(p.city, "Aarhus");
  core::copyText(p.address, "Bakery Street 1");
  core::copyText(p.country, "Germany");
  core::copyText(p.category, "Business");
  core::copyText(p.category_addon, "Shopping >> Food & Drink");
  core::copyText(p.telephone, "+45 1234 5678");
  core::copyText(p.keyword, "bakery, bread, cakes");
  core::copyText(p.short_description, "Fresh bread daily");
  core::copyText(p.long_description, "A family bakery with fresh bread and cakes every day.");
  p.recomputeHost();
  return p;
}

struct RecordSpec {
  const char* name = "Testengine";
  int32_t submit_type = core::kSubmitFirstButton;
  const char* hint = "";
  const char* success = "";
  const char* already = "";
  const char* field_map = "";
};

inline core::EngineRecord makeRecord(const RecordSpec& target) {
  core::EngineRecord r;
  r.name.assign(target.name);
  r.submit_hint.assign(target.hint);
  r.success_keyword.assign(target.success);
  r.already_keyword.assign(target.already);
  r.field_map.assign(target.field_map);
  r.submit_type = target.submit_type;
  return r;
}

inline std::string pageBytes(const std::string& name) {
  return test::readFile(std::string(LARKSPUR_FIXTURE_DIR) + "/pages/" + name);
}

inline web::Document loadPage(const std::string& name, const std::string& url,
                              const std::string& content_type = {}) {
  return web::parseHtml(pageBytes(name), url, content_type);
}

// Index of the element with `tag` and name attribute `name` (the nth one).
inline std::size_t elementNamed(const web::Document& doc, const std::string& tag,
                                const std::string& name, int nth = 0) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag && doc.at(i).name == name && nth-- == 0) return i;
  }
  ADD_FAILURE() << "no " << tag << " named " << name;
  return doc.size();
}

// Index of the nth element with `tag` whose text as `textOf(doc, index)`
// gives it contains `part`.
template <typename TextOf>
std::size_t elementWhose(const web::Document& doc, const std::string& tag, TextOf textOf,
                         const std::string& part, int nth = 0) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag && textOf(doc, i).find(part) != std::string::npos && nth-- == 0) return i;
  }
  ADD_FAILURE() << "no " << tag << " with " << part;
  return doc.size();
}

// Index of the nth element with `tag` whose `field` contains `part`.
inline std::size_t elementWith(const web::Document& doc, const std::string& tag,
                               std::string web::Element::*field, const std::string& part,
                               int nth = 0) {
  return elementWhose(
      doc, tag, [field](const web::Document& d, std::size_t i) { return d.at(i).*field; }, part, nth);
}

// Index of the nth element with `tag` whose rendered text contains `part`.
inline std::size_t elementWithText(const web::Document& doc, const std::string& tag, const std::string& part,
                                   int nth = 0) {
  return elementWhose(
      doc, tag, [](const web::Document& d, std::size_t i) { return d.textOf(i); }, part, nth);
}

// Records what a walk asked of its session's host.
class RecordingHost : public SessionHost {
 public:
  void postProgress(bool final_report) override {
    (final_report ? finals : progress)++;
  }
  void stopLoading() override { ++stops; }
  void closeSession() override { ++closes; }

  int progress = 0;
  int finals = 0;
  int stops = 0;
  int closes = 0;
};

// A session ready to walk: the record, profile and word lists live here.
struct SessionFixture {
  explicit SessionFixture(const RecordSpec& target, bool automatic = true,
                          SessionState state = SessionState::kLoaded)
      : record(makeRecord(target)), profile(bakeryProfile()) {
    words = core::buildWordLists(profile);
    session.record = &record;
    session.automatic = automatic;
    session.owned = automatic;
    session.state = state;
    session.profile = &profile;
    session.words = &words;
    session.host = &host;
    rebuild();
  }
  // Call after changing the record's field map or the profile.
  void rebuild() {
    session.tokens = fieldMapTokens(record.field_map.view());
    words = core::buildWordLists(profile);
  }

  core::EngineRecord record;
  core::WebsiteProfile profile;
  core::WordLists words;
  RecordingHost host;
  WalkSession session;
};

using Action = web::PageAction;
inline Action setValue(std::size_t i, std::string v) {
  return {Action::Kind::kSetValue, i, 0, std::move(v)};
}
inline Action select(std::size_t i, std::size_t o) {
  return {Action::Kind::kSelectOption, i, o, {}};
}
inline Action click(std::size_t i) { return {Action::Kind::kClick, i, 0, {}}; }

}  // namespace larkspur::submit::testing

namespace larkspur::web {
// Readable failure output for action lists.
inline void PrintTo(const PageAction& a, std::ostream* os) {
  static const char* kinds[] = {"set", "select", "click"};
  *os << kinds[static_cast<int>(a.kind)] << "(" << a.element;
  if (a.kind == PageAction::Kind::kSelectOption) *os << ", option " << a.option;
  if (a.kind == PageAction::Kind::kSetValue) *os << ", \"" << a.value << "\"";
  *os << ")";
}
}  // namespace larkspur::web
