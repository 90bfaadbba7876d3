#include "submit/answer_classifier.h"

#include <string>

#include "core/fixed_text.h"
#include "core/upper_case.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

namespace {

bool has(const std::string& text, std::string_view word) {
  return text.find(word) != std::string::npos;
}

bool hasKeyword(const std::string& text, std::string_view keyword) {
  if (keyword.empty()) return false;
  return has(text, core::toUpper(keyword));
}

}  // namespace

Verdict classifyAnswer(std::string_view answer, const core::EngineRecord& record) {
  const std::string text = core::toUpper(answer);

  if (hasKeyword(text, record.success_keyword.view())) return kVerdictSuccess;
  if (hasKeyword(text, record.already_keyword.view())) return kVerdictAlreadyListed;

  for (std::string_view word : {"ALREADY SUBMITED", "ALREADY SUBMITTED", "ALREADY"}) {
    if (has(text, word)) return kVerdictAlreadyListed;
  }
  for (std::string_view word : {"SUCCESSFUL", "THANK", "THANKS", "THANK YOU FOR", "SUBMITTED"}) {
    if (has(text, word)) return kVerdictSuccess;
  }
  if (has(text, "404") && has(text, "NOT FOUND")) return kVerdictNotFound;
  if (has(text, " RUNTIME ERROR ")) return kVerdictNotFound;
  return kVerdictUndecided;
}

void applyVerdict(Verdict verdict, core::EngineRecord& record) {
  switch (verdict) {
    case kVerdictSuccess:
      record.submit_state = kStateOk;
      record.message = kMessageSubmitOk;
      break;
    case kVerdictAlreadyListed:
      record.submit_state = kStateOk;
      record.message = kMessageAlreadySubmitted;
      break;
    case kVerdictNotFound:
      record.submit_state = kStateError;
      record.message = kMessageNotFound;
      break;
    case kVerdictUndecided:
      break;
  }
}

}  // namespace larkspur::submit
