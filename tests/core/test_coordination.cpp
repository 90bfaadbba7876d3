#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "core/message_queue.h"
#include "core/worker_count.h"

namespace larkspur::core {
namespace {

TEST(WorkerCount, CountsConcurrentWorkersExactly) {
  WorkerCount count;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        CountedWorker worker(count);
        EXPECT_GE(count.value(), 1);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(count.value(), 0);
}

TEST(MessageQueue, PostsFromManyThreadsArriveInPerThreadOrder) {
  MessageQueue queue;
  Post post = queue.poster();
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> threads;
  int tags[kThreads];
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) post(Message{MessageId::kSubmitProgress, &tags[t], i, {}});
    });
  }
  std::vector<int> next(kThreads, 0);
  int received = 0;
  while (received < kThreads * kEach) {
    for (const Message& m : queue.waitAndTake(std::chrono::milliseconds(1000))) {
      int t = static_cast<int>(static_cast<int*>(m.record) - tags);
      ASSERT_EQ(m.param, next[t]) << "thread " << t;
      ++next[t];
      ++received;
    }
  }
  for (auto& t : threads) t.join();
  EXPECT_TRUE(queue.take().empty());
}

TEST(MessageQueue, WaitReturnsEmptyAfterTheTimeOut) {
  MessageQueue queue;
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(queue.waitAndTake(std::chrono::milliseconds(20)).empty());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
}

}  // namespace
}  // namespace larkspur::core
