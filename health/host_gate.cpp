#include "health/host_gate.h"

namespace larkspur::health {

bool HostGate::enter(const std::string& host, std::chrono::steady_clock::time_point until, const core::Event& stop) {
  std::unique_lock lock(mutex_);
  while (busy_[host] >= perHost_) {
    if (stop.isSet() || std::chrono::steady_clock::now() >= until) return false;
    freed_.wait_for(lock, std::chrono::milliseconds(100));
  }
  ++busy_[host];
  return true;
}

void HostGate::leave(const std::string& host) {
  {
    std::lock_guard lock(mutex_);
    if (--busy_[host] <= 0) busy_.erase(host);
  }
  freed_.notify_all();
}

}  // namespace larkspur::health
