#pragma once
// The engine list's page-rank update ("Search Engine Submit" > "Page Rank" >
// "Start Update" and "Stop Update"): the worker of links/ over the project's
// Engine table, its messages handed to the engine list. The status bar counts
// the targets it has been through ("Updating page ranks: 12 of 342") and says
// how it ended ("Page Rank update finished! 342 targets" or "... Stopped after
// 12 of 342 targets"). One update runs at a time; "Start Update" is disabled
// meanwhile and "Stop Update" enabled.

#include <QObject>
#include <cstddef>
#include <cstdint>

#include "core/coordination.h"
#include "links/engine_page_rank_update.h"

namespace larkspur::ui {

class CommandHost;
class ProjectDocument;

class PageRankUpdateCommands : public QObject {
  Q_OBJECT

 public:
  // A child of the host's window.
  PageRankUpdateCommands(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination);
  // Sets the stop signal and waits for a running update.
  ~PageRankUpdateCommands() override;

  void install();

  void start();
  bool running() const { return update_.running(); }
  // Sets the stop signal and waits for a running update to end, keeping the
  // windows painted meanwhile.
  void stopAndWait();
  // The rank query the update uses: by default Open PageRank when its key
  // is set, else the toolbar query service.
  void setRankQuery(links::RankQuery query) {
    rankQuery_ = std::move(query);
    rankQueryChosen_ = true;
  }

 private:
  // A target's rank has been asked, or the update has ended.
  void onMessage(uint64_t run, const core::Message& message);

  CommandHost& host_;
  ProjectDocument& doc_;
  core::Coordination& coordination_;
  links::RankQuery rankQuery_ = links::queryHostRank;
  bool rankQueryChosen_ = false;
  links::EnginePageRankUpdate update_;
  // The running update: its number (an earlier one's messages are void), the
  // targets asked of its total.
  uint64_t run_ = 0;
  std::size_t asked_ = 0;
  std::size_t total_ = 0;
};

}  // namespace larkspur::ui
