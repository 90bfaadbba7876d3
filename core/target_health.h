#pragma once
// What the last check of a target found: one verdict with its reason, kept
// with the target and, after every other entry, in the project file. A verdict that says the target is
// no longer the directory it was keeps the website profile from it: the
// batches leave it out unless asked to include it.

#include <string>
#include <string_view>

#include "core/engine_record.h"

namespace larkspur::core {

// The verdicts, as stored and printed.
inline constexpr char kHealthLive[] = "live";
inline constexpr char kHealthNoForm[] = "no-form";
inline constexpr char kHealthMoved[] = "moved";
inline constexpr char kHealthParked[] = "parked";
inline constexpr char kHealthGone[] = "gone";
inline constexpr char kHealthUnreachable[] = "unreachable";
inline constexpr char kHealthUnknown[] = "unknown";

// Every verdict, from the best to the worst news (the order the engine list
// sorts by).
inline constexpr std::string_view kHealthVerdicts[] = {kHealthLive,   kHealthNoForm, kHealthMoved,      kHealthParked,
                                                       kHealthGone,   kHealthUnreachable, kHealthUnknown};

// Whether a target with this last verdict may be sent the profile: never
// checked (""), live and unknown may; the others may not.
bool healthAllowsProfile(std::string_view verdict);
inline bool healthAllowsProfile(const EngineRecord& record) { return healthAllowsProfile(record.health.view()); }

// "Skipped: parked (name servers at sedoparking.com)": what a batch says of a
// target it leaves out.
std::string skippedByHealthText(const EngineRecord& record);

}  // namespace larkspur::core
