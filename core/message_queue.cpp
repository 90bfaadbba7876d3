#include "core/message_queue.h"

#include <utility>

namespace larkspur::core {

Post MessageQueue::poster() {
  return [this](Message message) { push(std::move(message)); };
}

void MessageQueue::push(Message message) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    messages_.push_back(std::move(message));
  }
  arrived_.notify_all();
}

std::vector<Message> MessageQueue::waitAndTake(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait_for(lock, timeout, [this] { return !messages_.empty(); });
  std::vector<Message> out(std::make_move_iterator(messages_.begin()),
                           std::make_move_iterator(messages_.end()));
  messages_.clear();
  return out;
}

std::vector<Message> MessageQueue::take() { return waitAndTake(std::chrono::milliseconds(0)); }

}  // namespace larkspur::core
