#pragma once
// One submission target: the 1632-byte record shared by the built-in data and
// the in-memory Engine table.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace larkspur::core {

// Submit types of a target.
enum SubmitType : int32_t {
  kSubmitManual = 0,        // page opened for the user, never automatic ("SEMI")
  kSubmitDirectRequest = 1, // the hint is an address with "%URL%", requested without a browser
  kSubmitImage = 11,        // click the image whose source contains the hint
  kSubmitCaption = 98,      // click the submit control whose caption equals the hint
  kSubmitFirstButton = 99,  // click the first submit or button input
};

struct EngineRecord {
  char name[64];
  char country[64];
  char submit_url[260];
  char submit_hint[260];
  char success_keyword[64];
  char already_keyword[64];
  char reserved[64];
  char field_map[260];
  int32_t rank;
  int32_t submit_type;
  char submit_state[260];
  // Runtime: identifies the receiver a running submission reports to (0: none).
  int32_t notify_window;
  char message[260];
};

static_assert(std::is_standard_layout_v<EngineRecord>);
static_assert(std::is_trivially_copyable_v<EngineRecord>);
static_assert(sizeof(EngineRecord) == 1632);
static_assert(offsetof(EngineRecord, name) == 0);
static_assert(offsetof(EngineRecord, country) == 64);
static_assert(offsetof(EngineRecord, submit_url) == 128);
static_assert(offsetof(EngineRecord, submit_hint) == 388);
static_assert(offsetof(EngineRecord, success_keyword) == 648);
static_assert(offsetof(EngineRecord, already_keyword) == 712);
static_assert(offsetof(EngineRecord, reserved) == 776);
static_assert(offsetof(EngineRecord, field_map) == 840);
static_assert(offsetof(EngineRecord, rank) == 1100);
static_assert(offsetof(EngineRecord, submit_type) == 1104);
static_assert(offsetof(EngineRecord, submit_state) == 1108);
static_assert(offsetof(EngineRecord, notify_window) == 1368);
static_assert(offsetof(EngineRecord, message) == 1372);

// "AUTO" for every non-zero submit type, "SEMI" for 0.
inline const char* submitTypeLabel(int32_t type) { return type != 0 ? "AUTO" : "SEMI"; }

}  // namespace larkspur::core
