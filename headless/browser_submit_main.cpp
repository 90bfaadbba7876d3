// larkspur-browser-submit: larkspur-cli submit on Qt WebEngine, the engine of
// the desktop program, without a window. larkspur-cli becomes this program
// (same process, same words) for "submit --engine browser", so that only
// that run loads Qt and Chromium. It prepares its own environment: no
// display, no GPU, no sandbox for root and a runtime folder are its business,
// not the user's.

#include <QGuiApplication>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "cli/submit_run.h"
#include "core/worker_threads.h"
#include "webengine/batch_event_loop.h"
#include "webengine/web_engine_environment.h"
#include "webengine/web_engine_starter.h"

namespace {

using namespace larkspur;

// How long sessions that have reported get to close once the batch is over.
constexpr int kCloseWaitMs = 10'000;
// The longest the program waits at exit for direct requests left running.
constexpr std::chrono::milliseconds kExitWait{3'000};

// Automatic targets as sessions on hidden pages, direct requests on worker
// threads (webengine::WebEngineStarter, as in the batch dialog); the batch
// driven from the event loop.
class BrowserSubmitEngine : public cli::SubmitEngine {
 public:
  const char* name() const override { return cli::kBrowserEngine; }

  // The starter asks the service base for the targets' addresses itself.
  submit::TargetStarter& starter(const submit::SubmissionContext& context,
                                 const std::vector<core::EngineRecord*>&) override {
    starter_ = std::make_unique<webengine::WebEngineStarter>(context);
    return *starter_;
  }

  submit::BatchLoopEnd run(submit::Batch& batch, core::MessageQueue& queue,
                           const std::atomic<bool>& cancelRequest) override {
    return webengine::runBatchOnEventLoop(batch, queue, cancelRequest);
  }

  bool abandon(std::chrono::milliseconds bound) override {
    // Sessions close now, without a report; direct requests give up their fetch.
    starter_->closeSessions();
    core::processWorkerThreads().abandon();
    return starter_->waitForAll(static_cast<int>(bound.count()));
  }

  void finish() override {
    starter_->waitForAll(kCloseWaitMs);
    starter_.reset();
  }

 private:
  std::unique_ptr<webengine::WebEngineStarter> starter_;
};

// Qt WebEngine tells of its set-up ("Sandboxing disabled by user.", the
// graphics found, and a warning that there are none, which is what the
// program asked for); a command's output keeps to the run. Other warnings
// pass.
QtMessageHandler gQtDefault = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (type == QtWarningMsg && message.trimmed() == QLatin1String("No suitable graphics backend found")) return;
  gQtDefault(type, context, message);
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  gQtDefault = qInstallMessageHandler(quietHandler);
  webengine::prepareWebEngine(webengine::WebEngineDisplay::kHeadless);
  // Every word is submit's: Qt is given none of them to read.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QGuiApplication application(qtArgc, qtArgv);
  QGuiApplication::setQuitOnLastWindowClosed(false);

  BrowserSubmitEngine engine;
  const int code = cli::runSubmit(words, engine);
  core::processWorkerThreads().abandon();
  core::processWorkerThreads().waitAll(kExitWait);
  return code;
}
