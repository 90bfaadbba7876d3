#pragma once
// Keeps the requests of many checks to one host down to a few at a time.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "core/event.h"

namespace larkspur::health {

class HostGate {
 public:
  explicit HostGate(int perHost) : perHost_(perHost) {}

  // Waits for a free place at `host`; false when `until` passed or `stop` was
  // set first (checked every 100 ms).
  bool enter(const std::string& host, std::chrono::steady_clock::time_point until, const core::Event& stop);
  void leave(const std::string& host);

 private:
  const int perHost_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::map<std::string, int> busy_;
};

// Holds a place at a host for as long as it lives.
class HostPlace {
 public:
  HostPlace(HostGate* gate, std::string host) : gate_(gate), host_(std::move(host)) {}
  ~HostPlace() {
    if (gate_) gate_->leave(host_);
  }
  HostPlace(const HostPlace&) = delete;
  HostPlace& operator=(const HostPlace&) = delete;

 private:
  HostGate* gate_;
  std::string host_;
};

}  // namespace larkspur::health
