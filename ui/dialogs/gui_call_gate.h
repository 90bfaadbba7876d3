#pragma once
// Lets a worker thread have something done on the GUI thread: a message box
// it waits for (call), or a notice it does not wait for (post). Unlike a
// blocking queued connection, the wait can be released: once the gate is
// closed, every waiting and every later call returns at once without a
// result and posted notices are dropped, so the GUI thread may join the
// worker without a deadlock. Copies share one gate.

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace larkspur::ui {

class GuiCallGate {
 public:
  GuiCallGate() : state_(std::make_shared<State>()) {}

  // Runs `fn` on the GUI thread and waits for it. nullopt when the gate was
  // closed before `fn` ran, or while waiting for it. Called on the GUI
  // thread itself, runs `fn` at once.
  template <class R>
  std::optional<R> call(std::function<R()> fn) const {
    QObject* context = QCoreApplication::instance();
    if (!context || closed()) return std::nullopt;
    if (QThread::currentThread() == context->thread()) return fn();
    auto pending = std::make_shared<Pending<R>>();
    QMetaObject::invokeMethod(
        context,
        [state = state_, pending, fn = std::move(fn)] {
          std::optional<R> result;
          // Run outside the lock: `fn` may open a modal box with its own loop.
          if (!isClosed(*state)) result = fn();
          {
            std::lock_guard lock(state->mutex);
            pending->result = std::move(result);
            pending->done = true;
          }
          state->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return pending->done || state_->closed; });
    return pending->done ? std::move(pending->result) : std::nullopt;
  }

  // Runs `fn` on the GUI thread later, unless the gate is closed by then.
  void post(std::function<void()> fn) const {
    QObject* context = QCoreApplication::instance();
    if (!context || closed()) return;
    QMetaObject::invokeMethod(
        context,
        [state = state_, fn = std::move(fn)] {
          if (!isClosed(*state)) fn();
        },
        Qt::QueuedConnection);
  }

  // Releases every waiting call; later calls and posts do nothing.
  void close() const {
    {
      std::lock_guard lock(state_->mutex);
      state_->closed = true;
    }
    state_->changed.notify_all();
  }
  bool closed() const { return isClosed(*state_); }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
  };
  template <class R>
  struct Pending {
    bool done = false;
    std::optional<R> result;
  };
  static bool isClosed(State& state) {
    std::lock_guard lock(state.mutex);
    return state.closed;
  }

  std::shared_ptr<State> state_;
};

}  // namespace larkspur::ui
