#pragma once
// A thread-safe queue of posted messages, drained by one receiving loop (the
// command-line front end's main loop, tests).

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "core/messages.h"

namespace larkspur::core {

class MessageQueue {
 public:
  // A Post that appends to this queue; the queue must outlive its users.
  Post poster();
  void push(Message message);
  // Waits up to `timeout` for at least one message and returns all waiting
  // ones, in posting order (empty on time-out).
  std::vector<Message> waitAndTake(std::chrono::milliseconds timeout);
  // Returns what is waiting without blocking.
  std::vector<Message> take();

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Message> messages_;
};

}  // namespace larkspur::core
