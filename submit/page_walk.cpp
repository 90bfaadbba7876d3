#include "submit/page_walk.h"

#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "core/upper_case.h"
#include "submit/answer_checks.h"
#include "submit/answer_classifier.h"
#include "submit/field_names.h"
#include "submit/field_reading.h"
#include "submit/fill_rules.h"
#include "submit/form_choices.h"
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

// Ends the session with "Submit-Error" and `message`: a form that needs a
// person, a payment, or the directory's own refusal.
void endWithError(WalkSession& s, std::string_view message) {
  s.record->submit_state = kStateError;
  s.record->message = std::string(message);
  reportFinal(s);
  if (s.owned && s.host) {
    s.host->stopLoading();
    s.host->closeSession();
  }
}

// What the walk knows of the whole page before it starts.
struct PageFacts {
  // A type=submit or type=image control: a first-button target presses it
  // rather than a type=button, which only the page's scripts act on.
  bool hasSubmitControl = false;
};

PageFacts factsOf(const Document& doc) {
  PageFacts facts;
  for (const Element& e : doc.elements()) {
    if ((e.tag == "INPUT" && (e.type == "SUBMIT" || e.type == "IMAGE")) || (e.tag == "BUTTON" && e.type == "SUBMIT")) {
      facts.hasSubmitControl = true;
      break;
    }
  }
  return facts;
}

// Whether a value the rules chose by name fits a field whose kind asks for `kind`.
bool fitsKind(ProfileValue value, ProfileValue kind) {
  if (kind == ProfileValue::kUrl) return value == ProfileValue::kUrl || value == ProfileValue::kHost;
  return value == kind;
}

// The fill of one text field: the rules by its name (by its label when the
// name says nothing they know), its kind winning over a name match that
// cannot fit it, its length limits kept. A field that keeps the page's value
// gets nothing, though its name still marks the URL filled; a field asking for
// a reciprocal link gets nothing at all.
void fillField(WalkSession& s, Document& doc, std::size_t index, std::span<const FillRule> rules,
               const std::string& name, const std::string& value) {
  const Element& e = doc.at(index);
  std::optional<FillMatch> match = matchFillRules(rules, {name, value});
  if (keepsPageValue(e)) {
    if (match && match->marks_url_filled) markUrlFilled(s);
    return;
  }
  const std::string label = fieldLabel(doc, index);
  if (asksForBackLink(name, label)) return;
  if (!match && !label.empty()) match = matchFillRules(rules, {label, value});
  const std::optional<ProfileValue> kind = fieldKind(e, label);
  if (kind && (!match || !fitsKind(match->value, *kind))) match = FillMatch{0, *kind, *kind == ProfileValue::kUrl};
  if (!match) return;
  doc.setValue(index, fitFieldLength(e, profileValue(*s.profile, match->value)));
  if (match->marks_url_filled) markUrlFilled(s);
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
  fillField(s, doc, index, textAreaFillRules(), name, {});
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
  // A list still on "[Top]" or "-- select --" is refused by every directory.
  if (name.find("COUNTRY") != std::string::npos) return;
  if (const std::optional<std::size_t> option = placeholderReplacement(doc.at(index), *s.words)) {
    doc.selectOption(index, *option);
  }
}

void walkInput(WalkSession& s, Document& doc, std::size_t index, const PageFacts& facts) {
  const Element& e = doc.at(index);
  std::string name = core::toUpper(e.name);
  const std::string type = core::toUpper(e.type);
  const std::string value = core::toUpper(e.value);
  const std::string src = e.src;
  normaliseFieldName(name, type, *s.record, s.tokens);

  if (s.state <= SessionState::kUrlFilled) {
    fillField(s, doc, index, inputFillRules(), name, value);
    if (type == "RADIO") {
      if (const std::optional<std::size_t> choice = freeChoice(doc, index)) doc.checkRadio(*choice);
    } else if (type == "CHECKBOX" && s.automatic && asksToAcceptTerms(e, fieldLabel(doc, index))) {
      // Accepting terms is the user's to do, never done silently.
      endWithError(s, kMessageAcceptTerms);
      return;
    }
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
  const bool button = has(type, "SUBMIT") || (has(type, "BUTTON") && !facts.hasSubmitControl);
  if (button && submit_type == core::kSubmitFirstButton) {
    submitBy(s, doc, index, kMessageSendSubmitRequest);
  } else if (button && submit_type == core::kSubmitCaption && core::equalsNoCase(value, hint)) {
    submitBy(s, doc, index, kMessageSubmitRequest);
  }
}

// A <button> of a form: pressed as the first button, or by its caption.
void walkButton(WalkSession& s, Document& doc, std::size_t index, const PageFacts& facts) {
  if (!s.automatic || s.state != SessionState::kUrlFilled) return;
  const Element& e = doc.at(index);
  if (e.type == "RESET" || (e.type == "BUTTON" && facts.hasSubmitControl)) return;
  const int32_t submit_type = s.record->submit_type;
  if (submit_type == core::kSubmitFirstButton) {
    submitBy(s, doc, index, kMessageSendSubmitRequest);
  } else if (submit_type == core::kSubmitCaption) {
    const std::string caption(core::asciiTrimmed(doc.textOf(index)));
    const std::string_view hint = hintOf(s);
    if (!hint.empty() && (core::equalsNoCase(caption, hint) || core::equalsNoCase(e.value, hint))) {
      submitBy(s, doc, index, kMessageSubmitRequest);
    }
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
  // A form that needs a person is not sent at all.
  if (s.automatic && s.state < SessionState::kSubmitted && asksForCaptcha(doc)) {
    endWithError(s, kMessageCaptcha);
    return;
  }
  const PageFacts facts = factsOf(doc);

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
      walkInput(s, doc, i, facts);
    } else if (tag == "BUTTON") {
      walkButton(s, doc, i, facts);
    } else if (tag == "IMG") {
      walkImage(s, doc, i);
    }
  }
  // Neither the target's words nor the built-in ones decided: the directory
  // may still have said no, or sent the user on to pay.
  if (answer_page && s.state == SessionState::kSubmitted && s.record) {
    if (leadsToPayment(doc)) {
      endWithError(s, kMessagePayment);
    } else if (const std::optional<std::string> refusal = refusalMessage(doc)) {
      endWithError(s, *refusal);
    }
  }
}

}  // namespace larkspur::submit
