#pragma once
// The "Link Popularity" jobs of the main window: the link search, the links
// report, the four link info updates and Stop. The search asks Bing Webmaster
// Tools and the rank updates Open PageRank when the user has set their keys
// (read when the job starts). Each command starts its
// workers and its status bar animation (timer 1 search, 2 check, 3 update)
// and returns; the workers' messages reach the link list through this
// object, which drops messages of jobs that ran before the work areas were
// rebuilt, and marks the project changed when a link is added or changed.
// While a job runs the status bar counts what it did ("Searching ... 4 new
// links", the progress pane "3 of 13" where the total is known); when it
// ends, however it ends, its end takes the place of its running text:
// "Search complete! 9 new links", "Update canceled! Stopped after 3 of 13
// links". The links report's end names the file and offers to open it or
// its folder. One job of each kind runs at a time; its command is disabled
// meanwhile.

#include <QObject>
#include <QStringList>
#include <QString>
#include <atomic>
#include <cstddef>
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
  // (update) ticking every `intervalMs`, the progress pane busy until the
  // job gives its count.
  void startJobTimer(int timer, int intervalMs);
  bool jobTimerActive(int timer) const;
  // One tick, as the timer runs it: the message pane shows the animation
  // and the job's count. The job's end comes with its workers' last word;
  // a timer without a job of its own ends once no worker is left, with the
  // end's first words ("Search complete!").
  void jobTick(int timer);

 signals:
  // A worker's message has been handed to the link list (or dropped when
  // there is none).
  void messageDelivered(core::MessageId id);
  // The links report has ended: written to `path`, or not.
  void reportFinished(const QString& path, bool written);

 private:
  // What a job has done so far, as the status bar counts it: the new links
  // of a search, the links a report or an update has been through, of
  // `total`.
  struct JobCount {
    bool active = false;  // from its start until its end has been shown
    std::size_t done = 0;
    std::size_t total = 0;
  };

  core::Post poster();
  // The key of a service (empty when none is set); what had to be said of
  // the key file joins the job's notices.
  std::string serviceKey(core::KeyedService service);
  void deliver(uint64_t generation, const core::Message& message);
  void onSearchEnded();
  void onReportFinished(const QString& path, const reports::LinksReportResult& result);
  void onUpdateEnded(const links::LinkInfoResult& result);
  // A job has gone through `done` links (never fewer than it said before).
  void onJobProgress(int timer, std::size_t done);
  // The job's running text with its count, and its share of the progress pane.
  void showRunning(int timer);
  // Ends the job's animation and progress and shows its end, with what the
  // jobs noticed on the way.
  void endJob(int timer, const QString& end);
  // Asks whether to open the report just written, or its folder.
  void offerReport(const QString& end, const QString& path);
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
  std::map<int, JobCount> counts_;
  // The animation's text last shown for each job ("Searching ..").
  std::map<int, QString> runningTexts_;
  ProgressAnimation animation_;
  // While the jobs are stopped for a new or opened project: their ends are
  // shown but nothing is asked.
  bool replacing_ = false;
};

}  // namespace larkspur::ui
