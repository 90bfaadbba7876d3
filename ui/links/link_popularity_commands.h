#pragma once
// The "Link Popularity" jobs of the main window: the link search, the links
// report, the four link info updates and Stop. The search asks Bing Webmaster
// Tools and the rank updates Open PageRank when the user has set their keys
// (read when the job starts). Each command starts its
// workers and its status bar animation (timer 1 search, 2 check, 3 update)
// and returns; the workers' messages reach the link list through this
// object, which drops messages of jobs that ran before the work areas were
// rebuilt. One job of each kind runs at a time; its command is disabled
// meanwhile.

#include <QObject>
#include <QStringList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "core/coordination.h"
#include "core/service_keys.h"
#include "core/messages.h"
#include "core/counted_thread.h"
#include "links/link_info_update.h"
#include "links/link_search.h"
#include "reports/links_report.h"
#include "ui/links/progress_animation.h"

class QTimer;

namespace larkspur::ui {

class CommandHost;
class ProjectDocument;

inline constexpr int kSearchTimerIntervalMs = 500;
inline constexpr int kCheckTimerIntervalMs = 300;
inline constexpr int kUpdateTimerIntervalMs = 300;

struct LinkJobOptions {
  int searchTimerMs = kSearchTimerIntervalMs;
  int checkTimerMs = kCheckTimerIntervalMs;
  int updateTimerMs = kUpdateTimerIntervalMs;
  links::LinkSearchOptions search;
  links::LinkInfoOptions info;
  reports::LinksReportOptions report;
};

class LinkPopularityCommands : public QObject {
  Q_OBJECT

 public:
  LinkPopularityCommands(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination,
                         QObject* parent = nullptr);
  // Sets the stop signal and waits for every worker.
  ~LinkPopularityCommands() override;

  // Installs "Search Links To My Website", "Create Links Report", the four
  // "Update My Link Info" commands and "Stop" (the stop signal of every job).
  void install();

  LinkJobOptions& options() { return options_; }

  // The commands.
  void searchLinks();
  void createLinksReport();
  void updateLinkInfo(links::LinkInfoFlags flags);

  bool searchRunning() const;
  bool reportRunning() const;
  bool updateRunning() const;

  // Sets the stop signal when a job runs, waits for every job with the window
  // painted, and drops the messages still on their way: the views and the
  // Link list are about to be replaced.
  void stopAndWait();

  // What the jobs said once while they ran ("The rank service does not
  // answer: ..."), handed over (and forgotten) for the job's end message.
  QStringList takeNotices();

  // The status animation of a job: timer 1 (search), 2 (check) or 3
  // (update) ticking every `intervalMs`.
  void startJobTimer(int timer, int intervalMs);
  bool jobTimerActive(int timer) const;
  // One tick, as the timer runs it: the progress pane steps, the message
  // pane shows the animation; once no worker is left the job's end message
  // shows and its animation stops.
  void jobTick(int timer);

 signals:
  // A worker's message has been handed to the link list (or dropped when
  // there is none).
  void messageDelivered(core::MessageId id);
  // The links report has ended: written to `path`, or not.
  void reportFinished(const QString& path, bool written);

 private:
  core::Post poster();
  // The key of a service (empty when none is set); what had to be said of
  // the key file joins the job's notices.
  std::string serviceKey(core::KeyedService service);
  void deliver(uint64_t generation, const core::Message& message);
  // `error` is empty when the report was written.
  void onReportFinished(const QString& path, const QString& error);
  bool anyRunning() const { return searchRunning() || reportRunning() || updateRunning(); }
  void joinFinished();

  CommandHost& host_;
  ProjectDocument& doc_;
  core::Coordination& coordination_;
  LinkJobOptions options_;
  std::atomic<uint64_t> generation_{0};

  std::unique_ptr<links::LinkSearch> search_;
  std::unique_ptr<core::CountedThread> report_;
  std::atomic<bool> reportDone_{true};
  std::unique_ptr<core::CountedThread> update_;
  std::atomic<bool> updateDone_{true};
  QStringList notices_;
  std::map<int, QTimer*> jobTimers_;
  ProgressAnimation animation_;
};

}  // namespace larkspur::ui
