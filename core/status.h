#pragma once
// Result of an operation that can fail with a message for the user.

#include <string>
#include <utility>

namespace larkspur::core {

struct Status {
  int code = 0;         // 0 success, negative failure
  std::string message;  // what to tell the user when code != 0

  bool ok() const { return code == 0; }
  static Status success() { return {}; }
  static Status failure(std::string message, int code = -1) { return {code, std::move(message)}; }
};

}  // namespace larkspur::core
