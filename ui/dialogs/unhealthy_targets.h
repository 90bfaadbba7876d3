#pragma once
// The question asked before the website profile goes to targets the user
// named whose last check says it should not (core/target_health.h): one box
// naming each with its verdict and reason. No keeps the profile from them.

#include <vector>

#include "core/engine_record.h"

class QWidget;

namespace larkspur::ui {

enum class UnhealthyUse {
  kSubmit,  // a batch on the targets the user chose
  kFill,    // the target's form filled in the browser pane
};

// True when none of `targets` is unhealthy, or when the user says Yes.
bool confirmUnhealthyTargets(QWidget* parent, const std::vector<core::EngineRecord*>& targets, UnhealthyUse use);

}  // namespace larkspur::ui
