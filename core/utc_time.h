#pragma once
// Times as the project file and the command line's JSON keep them.

#include <chrono>
#include <string>

namespace larkspur::core {

// "YYYY-MM-DDTHH:MM:SSZ" (ISO 8601, UTC).
std::string utcText(std::chrono::system_clock::time_point time);

}  // namespace larkspur::core
