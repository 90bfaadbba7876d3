#include "cli/job_console.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <vector>

#include "core/counted_thread.h"

namespace larkspur::cli {

namespace {

// Lock-free, so the signal handler may set it.
std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) { gInterrupted.store(true); }

struct sigaction gPrevious {};

constexpr std::chrono::milliseconds kTick{100};
// The animation moves one step every few ticks, as the main window's does.
constexpr int kTicksPerStep = 3;

void drawStatus(const std::string& text) {
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  std::fflush(stderr);
}

}  // namespace

InterruptToStop::InterruptToStop() {
  gInterrupted.store(false);
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, &gPrevious);
}

InterruptToStop::~InterruptToStop() { sigaction(SIGINT, &gPrevious, nullptr); }

bool InterruptToStop::interrupted() const { return gInterrupted.load(); }

const std::atomic<bool>& InterruptToStop::flag() const { return gInterrupted; }

bool watchJob(const JobWatch& watch, core::MessageQueue& queue, core::Coordination& coordination,
              const InterruptToStop& interrupt) {
  const bool onTerminal = isatty(STDERR_FILENO) == 1;
  int tick = 0;
  bool drawn = false;
  while (true) {
    std::vector<core::Message> messages = queue.waitAndTake(kTick);
    if (!messages.empty() && drawn) {
      drawStatus("");  // what the messages print goes on lines of its own
      drawn = false;
    }
    for (const core::Message& m : messages) {
      if (watch.onMessage) watch.onMessage(m);
    }
    if (interrupt.interrupted() && !coordination.stop.isSet()) coordination.stop.set();
    if (watch.finished()) break;
    if (onTerminal) {
      const int dots = (tick++ / kTicksPerStep) % 5;
      std::string text = watch.word + " " + std::string(dots, '.');
      text.resize(watch.word.size() + 6, ' ');
      if (watch.detail) text += watch.detail();
      if (coordination.stop.isSet()) text += "  (stopping)";
      drawStatus(text);
      drawn = true;
    }
  }
  // Messages posted just before the end.
  for (const core::Message& m : queue.take()) {
    if (watch.onMessage) watch.onMessage(m);
  }
  if (drawn) drawStatus("");
  return coordination.stop.isSet();
}

std::optional<bool> ConsoleJob::watchWorker(JobWatch jobWatch, const std::function<void()>& work) {
  std::atomic<bool> done{false};
  jobWatch.finished = [&done] { return done.load(); };
  core::CountedThread worker(coordination.workers, [&] {
    work();
    done = true;
  });
  if (!worker.started()) return std::nullopt;
  return watch(jobWatch);
}

}  // namespace larkspur::cli
