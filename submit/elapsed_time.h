#pragma once
// The elapsed time of a batch as its window shows it: "HH:MM:SS", the hours
// counting from 0 again after each full day.

#include <cstdint>
#include <string>

namespace larkspur::submit {

std::string elapsedText(int64_t seconds);

}  // namespace larkspur::submit
