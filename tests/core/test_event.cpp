#include "core/event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace larkspur::core {
namespace {

using std::chrono::milliseconds;

TEST(Event, StaysSetUntilReset) {
  Event event;
  EXPECT_FALSE(event.isSet());
  event.set();
  EXPECT_TRUE(event.isSet());
  EXPECT_TRUE(event.isSet()) << "manual reset: reading does not clear it";
  EXPECT_TRUE(event.waitFor(milliseconds(0)));
  event.reset();
  EXPECT_FALSE(event.isSet());
  EXPECT_TRUE(Event(true).isSet());
}

TEST(Event, WaitForTimesOutWhenNotSet) {
  Event event;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.waitFor(milliseconds(30)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(30));
}

TEST(Event, SetWakesEveryWaiterEarly) {
  Event event;
  bool woke[3] = {};
  std::thread waiters[3];
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) {
    waiters[i] = std::thread([&, i] { woke[i] = event.waitFor(std::chrono::seconds(20)); });
  }
  std::this_thread::sleep_for(milliseconds(20));
  event.set();
  for (std::thread& t : waiters) t.join();
  for (bool w : woke) EXPECT_TRUE(w);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace larkspur::core
