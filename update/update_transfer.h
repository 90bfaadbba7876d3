#pragma once
// One HTTP(S) download for the update check, read block by block like a file:
// open() returns once the server has answered with a success status, read()
// hands out the body in pieces of the caller's size. The body is held back
// (at most a few blocks) until the caller reads it, so a caller may ask the
// user something between opening and reading.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/event.h"

namespace larkspur::update {

inline constexpr std::string_view kUpdateAgentName = "AutoUpdateAgent";

struct UpdateTransferOptions {
  std::chrono::milliseconds connectTimeout{30000};
  // open() or read() give up when the server sends nothing for this long.
  std::chrono::milliseconds stallTimeout{60000};
};

class UpdateTransfer {
 public:
  explicit UpdateTransfer(UpdateTransferOptions options = {});
  ~UpdateTransfer();
  UpdateTransfer(const UpdateTransfer&) = delete;
  UpdateTransfer& operator=(const UpdateTransfer&) = delete;

  // Canonicalises `url` and requests it (http or https only, redirects
  // followed but never from https to http, certificates checked). True once the final answer has a 2xx
  // status; false when the address is malformed, the server cannot be
  // reached or answers an error, nothing arrives in time, or `cancel` (may be
  // null) is set. Call once per object.
  bool open(std::string_view url, const core::Event* cancel = nullptr);

  // Up to `capacity` bytes of the body: the count (> 0), 0 at the end of the
  // body, or -1 when the transfer failed, stalled or `cancel` got set while
  // waiting for data.
  int64_t read(char* buffer, std::size_t capacity, const core::Event* cancel = nullptr);

  // Why open() or read() failed, in words for the user ("the server answered
  // HTTP 404", "Could not resolve host: updates.example"); empty while
  // nothing failed or when the caller cancelled.
  const std::string& failure() const { return failure_; }

 private:
  struct State;
  bool fail(std::string why);
  std::string transferFailure() const;

  UpdateTransferOptions options_;
  std::unique_ptr<State> state_;
  std::string failure_;
};

}  // namespace larkspur::update
