#pragma once
// Deciding from the text of a target's answer whether the submission
// succeeded, the site was already listed, the target's script is missing or
// broken, or nothing decisive was said yet; and writing that verdict into the
// Engine record.

#include <string_view>

#include "core/engine_record.h"

namespace larkspur::submit {

enum Verdict : int {
  kVerdictSuccess = 0,
  kVerdictAlreadyListed = 1,
  kVerdictNotFound = -2,
  kVerdictUndecided = -3,
};

// Classifies an answer text against the record's success and
// already-submitted keywords and the built-in words. Both sides are compared
// in capitals (every letter, not only ASCII); empty keywords never match.
Verdict classifyAnswer(std::string_view text, const core::EngineRecord& record);

// Writes submit state and message for a decisive verdict; an undecided
// verdict changes nothing.
void applyVerdict(Verdict verdict, core::EngineRecord& record);

}  // namespace larkspur::submit
