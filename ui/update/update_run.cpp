#include "ui/update/update_run.h"

#include <QFile>

namespace larkspur::ui {

UpdateRun::~UpdateRun() { finish(); }

void UpdateRun::joinFinished() {
  if (thread_.joinable()) thread_.join();
}

bool UpdateRun::start(update::UpdateAgentSetup agent, UpdateRunHandlers handlers) {
  if (running()) return false;
  joinFinished();  // an earlier run that has ended

  // A fresh gate per run: what an earlier, finished run left queued stays dropped.
  gate_ = GuiCallGate();
  const GuiCallGate gate = gate_;
  auto shared = std::make_shared<const UpdateRunHandlers>(std::move(handlers));
  // The run is cancelled through the program-wide update-cancel signal.
  agent.cancel = &update::updateCancelSignal();

  update::UpdateWorkerSetup setup{std::move(agent), {}, {}};
  setup.agent.askYesNo = [gate, shared](const std::string& text) {
    if (!shared->askYesNo) return false;
    const QString question = QString::fromStdString(text);
    return gate.call<bool>([shared, question] { return shared->askYesNo(question); }).value_or(false);
  };
  setup.agent.post = [gate, shared](core::Message message) {
    if (shared->post) gate.post([shared, message = std::move(message)] { shared->post(message); });
  };
  setup.showMessage = [gate, shared](const std::string& text) {
    if (!shared->showMessage) return;
    const QString message = QString::fromStdString(text);
    gate.call<bool>([shared, message] {
      shared->showMessage(message);
      return true;
    });
  };
  setup.requestRestart = [gate, shared](const std::filesystem::path& program) {
    if (!shared->requestRestart) return;
    const QString path = QFile::decodeName(program.c_str());
    gate.post([shared, path] { shared->requestRestart(path); });
  };

  running_.store(true, std::memory_order_release);
  thread_ = std::thread([this, setup = std::move(setup), gate, ended = endNotice_] {
    update::runUpdateWorker(setup);
    running_.store(false, std::memory_order_release);
    if (ended) gate.post(ended);
  });
  return true;
}

void UpdateRun::finish() {
  if (running()) update::updateCancelSignal().set();
  gate_.close();
  joinFinished();
}

}  // namespace larkspur::ui
