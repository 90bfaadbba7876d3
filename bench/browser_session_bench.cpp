// One automatic submission session on Qt WebEngine (load the farm's add-URL
// page, fill its form, press its button, classify the answer) against a peer
// doing the same steps on the same form (bench/peers/playwright_session.js:
// Playwright driving the system's Chromium), and the peak memory of five
// sessions open at once for both.
//
//   browser_session_bench --targets-file FARM.tsv [--runs N] [--peer COMMAND]
//
// FARM.tsv is the targets file a running larkspur-farm wrote. COMMAND starts
// the peer (e.g. "node bench/peers/playwright_session.js"); it is given the
// form's address, the fields to fill, the number of runs and a form whose
// answer is never classified, and speaks the line protocol that script
// describes. bench/peers/run builds, installs and runs it all.
//
// A session's time runs from the moment it is created until it has been
// destroyed again (its page and off-the-record profile included), as the
// peer's runs from a new browser context until that context is closed. The
// first session, which starts the engine's processes, is not counted.
// Memory is the sum of the resident set sizes of a process and all its
// descendants (QtWebEngineProcess for Larkspur, Chromium's processes for the
// peer), sampled while five sessions are opened, kept open at their answer
// page and closed; the sum of the proportional set sizes, which counts
// shared pages once, is shown beside it.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/targets_text.h"
#include "bench/bench_session_support.h"
#include "core/website_profile.h"
#include "core/word_lists.h"
#include "submit/submission_context.h"
#include "webengine/automatic_session.h"
#include "webengine/session_page.h"

namespace {

using larkspur::bench::benchProfile;
using larkspur::bench::jsonText;

using larkspur::core::copyText;
using larkspur::core::fieldView;

constexpr int kLiveSessions = 5;
// How long five open sessions are held at their answer page while sampled.
constexpr int kHoldMs = 1000;
// Longest wait for one session or one step of the peer.
constexpr int kStepLimitMs = 60'000;
// Chromium kept off the network beyond the farm, for Larkspur and the peer
// alike.
constexpr char kQuietFlags[] =
    "--disable-background-networking --disable-component-update --no-first-run --disable-sync "
    "--metrics-recording-only --disable-default-apps --disable-gpu";

std::string jsonObject(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string out = "{";
  for (const auto& [name, value] : fields) {
    if (out.size() > 1) out += ',';
    out += jsonText(name) + ":" + jsonText(value);
  }
  return out + "}";
}

// --- memory of a process tree ------------------------------------------------

struct TreeMemory {
  double rssMb = 0;
  double pssMb = 0;
};

// Parent of every process now running.
std::map<pid_t, pid_t> parents() {
  std::map<pid_t, pid_t> out;
  DIR* proc = opendir("/proc");
  if (!proc) return out;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...: the name may hold spaces and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    long ppid = 0;
    rest >> state >> ppid;
    out[static_cast<pid_t>(pid)] = static_cast<pid_t>(ppid);
  }
  closedir(proc);
  return out;
}

std::vector<pid_t> treeOf(pid_t root, bool withRoot) {
  const std::map<pid_t, pid_t> parent = parents();
  std::vector<pid_t> tree{root};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    for (const auto& [pid, ppid] : parent) {
      if (ppid == tree[i]) tree.push_back(pid);
    }
  }
  if (!withRoot) tree.erase(tree.begin());
  return tree;
}

// The first number after `key` in a /proc file of "Key:   N kB" lines, in kB.
long kbField(const std::string& path, const char* key) {
  std::ifstream in(path);
  std::string line;
  const std::size_t length = std::strlen(key);
  while (std::getline(in, line)) {
    if (line.compare(0, length, key) == 0) return std::atol(line.c_str() + length);
  }
  return 0;
}

TreeMemory memoryOf(const std::vector<pid_t>& pids) {
  TreeMemory m;
  for (const pid_t pid : pids) {
    const std::string base = "/proc/" + std::to_string(pid);
    m.rssMb += static_cast<double>(kbField(base + "/status", "VmRSS:")) / 1024.0;
    m.pssMb += static_cast<double>(kbField(base + "/smaps_rollup", "Pss:")) / 1024.0;
  }
  return m;
}

// Samples a process tree on its own thread until stopped; keeps the peaks.
class TreeSampler {
 public:
  TreeSampler(pid_t root, bool withRoot) : root_(root), withRoot_(withRoot) {
    thread_ = std::thread([this] {
      while (!stop_) {
        const TreeMemory now = memoryOf(treeOf(root_, withRoot_));
        {
          std::lock_guard<std::mutex> lock(mutex_);
          peak_.rssMb = std::max(peak_.rssMb, now.rssMb);
          peak_.pssMb = std::max(peak_.pssMb, now.pssMb);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~TreeSampler() { stop(); }
  TreeMemory stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return peak_;
  }

 private:
  pid_t root_;
  bool withRoot_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  TreeMemory peak_;
  std::thread thread_;
};

// --- Larkspur's sessions ----------------------------------------------------

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Runs one automatic session to its end and its destruction; the time in ms,
// or nullopt when it did not end in time or not with Submit-OK.
std::optional<double> runSession(const larkspur::core::EngineRecord& target,
                                 const larkspur::submit::SubmissionContext& context) {
  larkspur::core::EngineRecord record = target;
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
  QElapsedTimer clock;
  clock.start();
  auto* session = new larkspur::webengine::AutomaticSession(record, context);
  QObject::connect(session, &QObject::destroyed, &loop, [&loop] { loop.exit(0); });
  session->start();
  limit.start(kStepLimitMs);
  if (loop.exec() != 0) {
    std::fprintf(stderr, "a session did not end within %d ms\n", kStepLimitMs);
    return std::nullopt;
  }
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  if (record.submit_state != "Submit-OK") {
    std::fprintf(stderr, "a session ended with %s: %s\n", record.submit_state.c_str(), record.message.c_str());
    return std::nullopt;
  }
  return ms;
}

// Opens five sessions at once on a form whose answer is never classified,
// holds them at their answer page and closes them; the peak memory of this
// process and its children meanwhile.
std::optional<TreeMemory> liveSessions(const larkspur::core::EngineRecord& target,
                                       const larkspur::submit::SubmissionContext& context) {
  TreeSampler sampler(getpid(), true);
  std::vector<larkspur::core::EngineRecord> records(kLiveSessions, target);
  std::vector<QPointer<larkspur::webengine::AutomaticSession>> sessions;
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
  int answered = 0;
  for (auto& record : records) {
    auto* session = new larkspur::webengine::AutomaticSession(record, context);
    larkspur::webengine::SessionPage* page = session->page();
    QObject::connect(page, &QWebEnginePage::loadFinished, &loop, [&, page](bool ok) {
      if (ok && page->url().path().endsWith(QLatin1String("/add")) && ++answered == kLiveSessions) loop.exit(0);
    });
    sessions.emplace_back(session);
    session->start();
  }
  limit.start(kStepLimitMs);
  const bool allAnswered = loop.exec() == 0;
  if (allAnswered) {
    QTimer::singleShot(kHoldMs, &loop, [&loop] { loop.exit(0); });
    loop.exec();
  }
  int open = 0;
  for (auto& session : sessions) {
    if (!session) continue;
    ++open;
    QObject::connect(session, &QObject::destroyed, &loop, [&] {
      if (--open == 0) loop.exit(0);
    });
    session->closeNow();
  }
  if (open > 0) loop.exec();
  const TreeMemory peak = sampler.stop();
  if (!allAnswered) {
    std::fprintf(stderr, "five sessions did not all reach their answer within %d ms\n", kStepLimitMs);
    return std::nullopt;
  }
  return peak;
}

// --- the peer ------------------------------------------------------------------

struct PeerFigures {
  std::string name;
  double launchMs = 0;
  double firstMs = 0;
  double sessionMs = 0;
  TreeMemory whole;    // the peer's program and its browser
  TreeMemory browser;  // the browser's processes alone
};

// One line of the peer's output, or nullopt when it ended or took too long.
std::optional<std::string> peerLine(QProcess& peer) {
  while (!peer.canReadLine()) {
    if (peer.state() == QProcess::NotRunning || !peer.waitForReadyRead(kStepLimitMs)) {
      if (peer.canReadLine()) break;
      return std::nullopt;
    }
  }
  return peer.readLine().trimmed().toStdString();
}

std::optional<double> valueAfter(const std::optional<std::string>& line, const std::string& key) {
  if (!line || line->rfind(key + " ", 0) != 0) return std::nullopt;
  return std::atof(line->c_str() + key.size() + 1);
}

std::optional<PeerFigures> runPeer(const QString& command, const QStringList& arguments) {
  QStringList words = QProcess::splitCommand(command);
  if (words.isEmpty()) return std::nullopt;
  const QString program = words.takeFirst();
  QProcess peer;
  peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  peer.start(program, words + arguments);
  if (!peer.waitForStarted()) {
    std::fprintf(stderr, "cannot start the peer: %s\n", qPrintable(command));
    return std::nullopt;
  }
  PeerFigures f;
  const auto name = peerLine(peer);
  const auto launch = valueAfter(peerLine(peer), "launch_ms");
  const auto first = valueAfter(peerLine(peer), "first_ms");
  const auto session = valueAfter(peerLine(peer), "median_ms");
  const auto liveStart = peerLine(peer);
  if (!name || name->rfind("peer ", 0) != 0 || !launch || !first || !session || liveStart != "live-start") {
    std::fprintf(stderr, "the peer did not report its times\n");
    peer.kill();
    peer.waitForFinished();
    return std::nullopt;
  }
  f.name = name->substr(5);
  f.launchMs = *launch;
  f.firstMs = *first;
  f.sessionMs = *session;
  {
    const auto pid = static_cast<pid_t>(peer.processId());
    TreeSampler whole(pid, true);
    TreeSampler browser(pid, false);
    const auto live = peerLine(peer);
    if (live == "live") std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
    peer.write("close\n");
    const auto closed = peerLine(peer);
    f.whole = whole.stop();
    f.browser = browser.stop();
    if (live != "live" || closed != "closed") {
      std::fprintf(stderr, "the peer did not open and close its five sessions\n");
      peer.kill();
      peer.waitForFinished();
      return std::nullopt;
    }
  }
  peer.closeWriteChannel();
  peer.waitForFinished(kStepLimitMs);
  return f;
}

// --- set-up ----------------------------------------------------------------------

// Without a display the engine needs the offscreen platform, no GPU, no
// sandbox for the superuser and a private runtime folder; the flags that
// keep Chromium quiet are added to whatever the environment gives.
std::unique_ptr<QTemporaryDir> prepareWebEngine() {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
      !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags.isEmpty() ? QByteArray() : flags + ' ') + kQuietFlags);
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  std::unique_ptr<QTemporaryDir> runtime;
  const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
  struct stat info {};
  if (dir.isEmpty() || ::stat(dir.constData(), &info) != 0 || info.st_uid != geteuid() ||
      (info.st_mode & 0777) != 0700) {
    runtime = std::make_unique<QTemporaryDir>();
    ::chmod(QFile::encodeName(runtime->path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  return runtime;
}

const larkspur::core::EngineRecord* findTarget(const larkspur::core::TargetsText& targets, std::string_view key) {
  const std::string path = "/" + std::string(key) + "/";
  for (const auto& record : targets.records) {
    const std::string_view url = record.submit_url.view();
    if (url.size() >= path.size() && url.substr(url.size() - path.size()) == path) return &record;
  }
  return nullptr;
}

int usage() {
  std::fprintf(stderr, "usage: browser_session_bench --targets-file FARM.tsv [--runs N] [--peer COMMAND]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string targetsFile;
  int runs = 20;
  QString peerCommand;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (i + 1 >= argc) return usage();
    if (word == "--targets-file") {
      targetsFile = argv[++i];
    } else if (word == "--runs") {
      runs = std::atoi(argv[++i]);
    } else if (word == "--peer") {
      peerCommand = QString::fromLocal8Bit(argv[++i]);
    } else {
      return usage();
    }
  }
  if (targetsFile.empty() || runs < 1) return usage();
  const larkspur::core::TargetsText targets = larkspur::core::readTargetsFile(targetsFile);
  const larkspur::core::EngineRecord* form = findTarget(targets, "first-button");
  const larkspur::core::EngineRecord* undecided = findTarget(targets, "never-classifies");
  if (!targets.ok() || !form || !undecided) {
    std::fprintf(stderr, "%s: not a target farm's targets file %s\n", targetsFile.c_str(), targets.error.c_str());
    return 1;
  }

  const auto runtime = prepareWebEngine();
  QGuiApplication app(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);

  const larkspur::core::WebsiteProfile profile = benchProfile();
  const larkspur::core::WordLists words = larkspur::core::buildWordLists(profile);
  larkspur::core::Coordination coordination;
  larkspur::submit::SubmissionContext context;
  context.profile = &profile;
  context.words = &words;
  context.coordination = &coordination;

  // 1. Larkspur, one session after another.
  QElapsedTimer firstClock;
  firstClock.start();
  if (!runSession(*form, context)) return 1;
  const double firstMs = static_cast<double>(firstClock.nsecsElapsed()) / 1e6;
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto ms = runSession(*form, context);
    if (!ms) return 1;
    times.push_back(*ms);
  }
  const double sessionMs = median(times);

  // 2. Larkspur, five sessions open at once.
  const auto memory = liveSessions(*undecided, context);
  if (!memory) return 1;

  std::printf("browser engine session (load the form, fill, submit, classify), median of %d:\n", runs);
  std::printf("  Larkspur, Qt WebEngine %s: %.1f ms (first session, starting the engine: %.0f ms)\n", qVersion(),
              sessionMs, firstMs);

  // 3. The peer, the same steps on the same form.
  std::optional<PeerFigures> peer;
  if (!peerCommand.isEmpty()) {
    // The fields the session fills on this form, with the values it fills in.
    const std::string fields = jsonObject({{"url", profile.url},
                                           {"title", profile.title},
                                           {"description", profile.long_description},
                                           {"keywords", profile.keyword},
                                           {"contact_name", std::string(profile.first_name) + " " + profile.last_name},
                                           {"email", profile.email}});
    const std::string liveFields = jsonObject({{"url", profile.url}});
    peer = runPeer(peerCommand, {QString::fromStdString(form->submit_url.str()),
                                 QString::fromStdString(fields), QString::number(runs),
                                 QString::fromStdString(undecided->submit_url.str()),
                                 QString::fromStdString(liveFields)});
    if (!peer) return 1;
    std::printf("  %s: %.1f ms (browser launch %.0f ms, first session %.0f ms)\n", peer->name.c_str(),
                peer->sessionMs, peer->launchMs, peer->firstMs);
    std::printf("  ratio Larkspur / peer: %.2fx (goal: at most 1.0x)\n", sessionMs / peer->sessionMs);
  }

  std::printf("peak memory with %d sessions open at once, summed over a process tree:\n", kLiveSessions);
  std::printf("  Larkspur, its process and the QtWebEngineProcess children: RSS %.0f MB, PSS %.0f MB\n",
              memory->rssMb, memory->pssMb);
  if (peer) {
    std::printf("  peer, the browser's processes: RSS %.0f MB, PSS %.0f MB\n", peer->browser.rssMb,
                peer->browser.pssMb);
    std::printf("  peer, the browser's processes and the program driving them: RSS %.0f MB, PSS %.0f MB\n",
                peer->whole.rssMb, peer->whole.pssMb);
    std::printf("  ratio Larkspur / the browser's processes: RSS %.2fx, PSS %.2fx (reported, no goal)\n",
                memory->rssMb / peer->browser.rssMb, memory->pssMb / peer->browser.pssMb);
  }
  return 0;
}
