#pragma once
// What the target check reads in a page that answered: the markers of a
// parking lander, then the form a session of the target would fill.

#include <string>
#include <string_view>

#include "core/engine_record.h"
#include "health/parking_signals.h"

namespace larkspur::health {

struct PageVerdict {
  std::string verdict;  // live, no-form or parked
  std::string reason;
};

// Reads `body`, the page at `url` as served (with its Content-Type), for
// `target`: parked when it carries a lander's marker; else, for an automatic
// target, live when a session would fill the form and click its submit
// control; for a direct-request target, live (it is sent without the form);
// for a manual target, live when the page holds any form; else no-form.
PageVerdict readPage(const core::EngineRecord& target, std::string_view body, const std::string& url,
                     std::string_view contentType, const ParkingSignals& signals);

}  // namespace larkspur::health
