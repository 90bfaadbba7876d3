#pragma once
// One submission target, as the built-in data and the in-memory Engine table
// hold it.

#include <cstdint>

#include "core/bounded_text.h"

namespace larkspur::core {

// Submit types of a target.
enum SubmitType : int32_t {
  kSubmitManual = 0,        // page opened for the user, never automatic ("SEMI")
  kSubmitDirectRequest = 1, // the hint is an address with "%URL%", requested without a browser
  kSubmitImage = 11,        // click the image whose source contains the hint
  kSubmitCaption = 98,      // click the submit control whose caption equals the hint
  kSubmitFirstButton = 99,  // click the first submit or button input
};

// The texts hold at most their capacity less one byte, as the targets text
// format and the project file store them (see BoundedText).
struct EngineRecord {
  BoundedText<64> name;
  BoundedText<64> country;
  BoundedText<260> submit_url;
  BoundedText<260> submit_hint;
  BoundedText<64> success_keyword;
  BoundedText<64> already_keyword;
  BoundedText<64> reserved;
  BoundedText<260> field_map;
  int32_t rank = 0;
  int32_t submit_type = 0;
  BoundedText<260> submit_state;
  // Runtime: identifies the receiver a running submission reports to (0: none).
  int32_t notify_window = 0;
  BoundedText<260> message;
  // The last target check (target_health.h): its verdict ("" when the target
  // was never checked), the reason in plain words, and when, as ISO 8601 UTC.
  BoundedText<16> health;
  BoundedText<260> health_reason;
  BoundedText<24> health_checked;

  bool operator==(const EngineRecord&) const = default;
};

// "AUTO" for every non-zero submit type, "SEMI" for 0.
inline const char* submitTypeLabel(int32_t type) { return type != 0 ? "AUTO" : "SEMI"; }

}  // namespace larkspur::core
