#pragma once
// The engine list's page-rank update ("Search Engine Submit" > "Page Rank" >
// "Start Update" and "Stop Update"): the worker of links/ over the project's
// Engine table, its messages handed to the engine list. One update runs at a
// time; "Start Update" is disabled meanwhile and "Stop Update" enabled.

#include <QObject>

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
  CommandHost& host_;
  ProjectDocument& doc_;
  core::Coordination& coordination_;
  links::RankQuery rankQuery_ = links::queryHostRank;
  bool rankQueryChosen_ = false;
  links::EnginePageRankUpdate update_;
};

}  // namespace larkspur::ui
