#pragma once
// larkspur-cli submit, whichever engine hosts the automatic sessions: the
// command-line words, the project and the targets chosen from it, the lines
// printed and the live status line, the states saved as they are reached,
// Ctrl-C and the end. larkspur-cli runs it on the HTTP engine; with
// "--engine browser" it hands the same words to larkspur-browser-submit,
// which runs it on Qt WebEngine. Only the SubmitEngine differs.

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "core/engine_record.h"
#include "core/message_queue.h"
#include "submit/batch.h"
#include "submit/batch_loop.h"
#include "submit/submission_context.h"

namespace larkspur::cli {

// The values of --engine.
inline constexpr char kHttpEngine[] = "http";
inline constexpr char kBrowserEngine[] = "browser";

// What tells one engine from the other: how targets are started and how the
// batch is driven.
class SubmitEngine {
 public:
  virtual ~SubmitEngine() = default;
  // kHttpEngine or kBrowserEngine.
  virtual const char* name() const = 0;
  // The starter of the run; `context` posts every report to the run's queue.
  // `targets` are the records the batch will start, for an engine that loads
  // their addresses as they are.
  virtual submit::TargetStarter& starter(const submit::SubmissionContext& context,
                                         const std::vector<core::EngineRecord*>& targets) = 0;
  // START, then ticks and reports until the batch has finished or
  // `cancelRequest` is set (which acts as Cancel).
  virtual submit::BatchLoopEnd run(submit::Batch& batch, core::MessageQueue& queue,
                                   const std::atomic<bool>& cancelRequest) = 0;
  // After a cancel: ends whatever still runs, waiting at most `bound`;
  // false when something is still running then.
  virtual bool abandon(std::chrono::milliseconds bound) = 0;
  // Waits for everything started to end and lets go of the starter.
  virtual void finish() = 0;
};

// The words of submit parsed with its options, for a caller that looks at
// them before running it.
Arguments submitArguments(const std::vector<std::string>& words);

// Runs submit with the words after the command name on `engine`. Returns 0
// when the batch finished, 1 on a file error, 2 on a usage error, 130 when it
// was interrupted (the states reached so far are saved).
int runSubmit(const std::vector<std::string>& words, SubmitEngine& engine);

}  // namespace larkspur::cli
