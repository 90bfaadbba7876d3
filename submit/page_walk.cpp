#include "submit/page_walk.h"

#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "core/upper_case.h"
#include "submit/answer_classifier.h"
#include "submit/field_names.h"
#include "submit/fill_rules.h"
#include "submit/option_choice.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

namespace {

using web::Document;
using web::Element;

bool has(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

std::string_view hintOf(const WalkSession& s) { return s.record->submit_hint.view(); }

// Marks the click: message, progress report, state 3, then the click itself.
void submitBy(WalkSession& s, Document& doc, std::size_t index, const char* message) {
  reportProgress(s, message);
  s.state = SessionState::kSubmitted;
  doc.click(index);
}

// Text of an answer page read for a verdict at most. A real answer page holds
// far less; a hostile one of tens of thousands of large elements is not read
// to its end (the session's time-out then decides).
constexpr std::size_t kClassifiedTextBudget = 8u * 1024 * 1024;

// What the classification of one answer page has read so far.
struct ClassifyProgress {
  std::string previous;  // the text classified last
  std::size_t read = 0;
};

// Classifies the text of one element of the answer page and ends the
// session when the text decides the submission. An element whose text is
// the one just classified (an element wrapping only another) has nothing
// new to say.
void classifyElement(WalkSession& s, const Document& doc, std::size_t index, ClassifyProgress& progress) {
  if (progress.read >= kClassifiedTextBudget) return;
  std::string whole = doc.textOf(index);
  if (whole == progress.previous) return;
  progress.read += whole.size();
  progress.previous = std::move(whole);
  const std::string_view text = core::asciiTrimmed(progress.previous);
  if (core::characterCount(text) < 2) return;
  const Verdict verdict = classifyAnswer(text, *s.record);
  if (verdict == kVerdictUndecided) return;
  applyVerdict(verdict, *s.record);
  reportFinal(s);
  if (s.owned && s.host) {
    // A decided answer stops the page; a missing script only closes the session.
    if (verdict != kVerdictNotFound) s.host->stopLoading();
    s.host->closeSession();
  }
}

void walkTextArea(WalkSession& s, Document& doc, std::size_t index) {
  std::string name = core::toUpper(doc.at(index).name);
  normaliseFieldName(name, {}, *s.record, s.tokens);
  const FillResult fill = fillTextArea(name, *s.profile);
  if (fill.written) doc.setValue(index, fill.value);
  if (fill.url_filled) markUrlFilled(s);
}

void walkSelect(WalkSession& s, Document& doc, std::size_t index) {
  const Element& e = doc.at(index);
  std::string name = core::toUpper(e.name);
  normaliseFieldName(name, core::toUpper(e.type), *s.record, s.tokens);
  std::vector<std::string> texts;
  texts.reserve(e.options.size());
  for (const web::SelectOption& o : e.options) texts.push_back(o.text);
  for (const std::size_t option : chooseOptions(name, texts, *s.profile, *s.words)) {
    doc.selectOption(index, option);
  }
}

void walkInput(WalkSession& s, Document& doc, std::size_t index) {
  const Element& e = doc.at(index);
  std::string name = core::toUpper(e.name);
  const std::string type = core::toUpper(e.type);
  const std::string value = core::toUpper(e.value);
  const std::string src = e.src;
  normaliseFieldName(name, type, *s.record, s.tokens);

  if (s.state <= SessionState::kUrlFilled) {
    const FillResult fill = fillInput(name, value, *s.profile);
    if (fill.written) doc.setValue(index, fill.value);
    if (fill.url_filled) markUrlFilled(s);
  }

  if (!s.automatic || s.state != SessionState::kUrlFilled) return;
  const std::string_view hint = hintOf(s);
  const int32_t submit_type = s.record->submit_type;
  if (has(type, "IMAGE") && submit_type == core::kSubmitCaption) {
    if (!hint.empty() && (core::equalsNoCase(name, hint) || has(src, hint))) {
      submitBy(s, doc, index, kMessageSubmitRequest);
    }
    return;
  }
  const bool button = has(type, "SUBMIT") || has(type, "BUTTON");
  if (button && submit_type == core::kSubmitFirstButton) {
    submitBy(s, doc, index, kMessageSendSubmitRequest);
  } else if (button && submit_type == core::kSubmitCaption && core::equalsNoCase(value, hint)) {
    submitBy(s, doc, index, kMessageSubmitRequest);
  }
}

void walkLink(WalkSession& s, Document& doc, std::size_t index) {
  if (s.state != SessionState::kUrlFilled || !s.automatic) return;
  if (has(s.record->name.view(), "Abacho")) return;
  const std::string_view hint = hintOf(s);
  if (hint.empty() || !has(doc.at(index).href, hint)) return;
  submitBy(s, doc, index, kMessageSendSubmitRequest);
}

void walkImage(WalkSession& s, Document& doc, std::size_t index) {
  if (s.record->submit_type != core::kSubmitImage) return;
  if (s.state != SessionState::kUrlFilled || !s.automatic) return;
  const std::string_view hint = hintOf(s);
  if (hint.empty() || !has(doc.at(index).src, hint)) return;
  submitBy(s, doc, index, kMessageSendSubmitRequest);
}

}  // namespace

void walkPage(WalkSession& s, Document& doc) {
  if (!s.record || s.state == SessionState::kFinal || !s.profile || !s.words) return;
  // Only a page that was loaded after the click is an answer: the rest of the
  // page on which the control was clicked is still the form.
  const bool answer_page = s.automatic && s.state == SessionState::kSubmitted;

  ClassifyProgress progress;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (answer_page && s.state == SessionState::kSubmitted) classifyElement(s, doc, i, progress);
    if (s.state == SessionState::kFinal || !s.record) return;

    const std::string& tag = doc.at(i).tag;
    if (tag == "TEXTAREA") {
      walkTextArea(s, doc, i);
    } else if (tag == "SELECT") {
      walkSelect(s, doc, i);
    } else if (tag == "A") {
      walkLink(s, doc, i);
    } else if (tag == "INPUT") {
      walkInput(s, doc, i);
    } else if (tag == "IMG") {
      walkImage(s, doc, i);
    }
  }
}

}  // namespace larkspur::submit
