// The links check over 1,000 linking pages on 250 hosts of a local farm (a
// cpp-httplib server on 127.0.0.1, the hosts named site<N>.localhost, which
// libcurl resolves to the loopback address itself). Pages of about 16 KB
// with 150 links each: most link to the website, others with rel nofollow,
// behind a noindex robots meta tag, moved, gone (404) or without the link;
// every tenth host's robots.txt shuts its pages out; one page in 25 answers
// after 2 seconds. The farm runs in a child process and the check in
// another, so the figures are the check's own.
//
//   unshare -n bash -c 'ip link set lo up; build/bench/link_check_bench'
//
// Goals: every page checked in at most 30 s with at most 100 MB at the
// peak; and Stop, given while the check runs, ends it within a second.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "bench/bench_session_support.h"
#include "core/link_list.h"
#include "links/link_check.h"
#include "tests/support/local_server.h"

namespace {

using namespace larkspur;
using Clock = std::chrono::steady_clock;

constexpr int kHosts = 250;
constexpr int kPagesPerHost = 4;
constexpr double kGoalSeconds = 30;
constexpr long kGoalKb = 100 * 1024;
constexpr double kStopGoalSeconds = 1;
constexpr char kSite[] = "http://www.example-bakery.com/";
constexpr std::chrono::milliseconds kSlowAnswer{2'000};

// The page's number among all, from "site<N>.localhost:port" and "/page/<K>".
int pageNumber(const httplib::Request& request) {
  const std::string host = request.get_header_value("Host");
  const int site = std::atoi(host.c_str() + std::min<std::size_t>(4, host.size()));
  return site * kPagesPerHost + std::atoi(request.path.c_str() + std::min<std::size_t>(6, request.path.size()));
}

std::string pageBody(int number) {
  std::string body = "<html><head><title>Page " + std::to_string(number) + "</title>";
  const int kind = number % 20;
  if (kind == 1) body += "<meta name=\"robots\" content=\"noindex, follow\">";
  body += "</head><body><h1>Links of friends</h1>\n";
  for (int i = 0; i < 150; ++i) {
    body += "<p><a href=\"http://friend" + std::to_string(i) + ".example/some/page.html\">A friend's page number " +
            std::to_string(i) + "</a> with a few words about it.</p>\n";
    if (i == 75 && kind != 4) {
      body += std::string("<p><a ") + (kind == 0 ? "rel=\"nofollow\" " : "") +
              "href=\"http://example-bakery.com/\"><img src=\"/b.png\" alt=\"Example Bakery\"></a></p>\n";
    }
  }
  return body + "</body></html>";
}

// The farm in a child process; its port, or 0.
int startFarm(pid_t& pid) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  pid = fork();
  if (pid == 0) {
    close(fds[0]);
    test::LocalServer farm;
    farm.server().new_task_queue = [] { return new httplib::ThreadPool(64); };
    farm.get("/robots.txt", [](const httplib::Request& request, httplib::Response& response) {
      const bool shut = pageNumber(request) / kPagesPerHost % 10 == 9;
      response.set_content(std::string("User-agent: *\nDisallow: ") + (shut ? "/page/" : "/private/") + "\n",
                           "text/plain");
    });
    farm.get("/page/.*", [&farm](const httplib::Request& request, httplib::Response& response) {
      const int number = pageNumber(request);
      if (number % 25 == 7) {
        for (auto until = Clock::now() + kSlowAnswer; Clock::now() < until && !farm.stopping();) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
      }
      if (number % 20 == 2) {
        response.status = 404;
      } else if (number % 20 == 3 && request.path.find("moved") == std::string::npos) {
        response.set_redirect(request.path + "-moved");
      } else {
        response.set_content(pageBody(number), "text/html; charset=utf-8");
      }
    });
    if (!farm.start()) _exit(1);
    const int port = farm.port();
    if (write(fds[1], &port, sizeof port) != sizeof port) _exit(1);
    close(fds[1]);
    pause();
    _exit(0);
  }
  close(fds[1]);
  int port = 0;
  if (read(fds[0], &port, sizeof port) != sizeof port) port = 0;
  close(fds[0]);
  return port;
}

void fillLinks(core::LinkList& links, int port) {
  for (int site = 0; site < kHosts; ++site) {
    for (int page = 0; page < kPagesPerHost; ++page) {
      core::LinkRecord record{};
      record.url = "http://site" + std::to_string(site) + ".localhost:" + std::to_string(port) + "/page/" +
                   std::to_string(page);
      // Found by the last check: the pages without the link are lost now.
      record.details.linkFound = core::Known::kYes;
      links.append(record);
    }
  }
}

struct Figures {
  std::size_t checked = 0;
  double seconds = 0;
  long peakKb = 0;
  int found = 0, notFollowed = 0, notIndexable = 0, lost = 0, unanswered = 0;
};

Figures fullCheck(int port) {
  core::LinkList links;
  fillLinks(links, port);
  const core::Event stop;
  Figures f;
  const auto started = Clock::now();
  f.checked = links::checkLinkingPages(links, kSite, stop, {}, nullptr).checked;
  f.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  f.peakKb = bench::statusKb("VmHWM:");
  for (const core::LinkList::Ptr& record : links.snapshot()) {
    const core::LinkDetails& d = record->details;
    f.found += d.linkFound == core::Known::kYes;
    f.notFollowed += d.linkFound == core::Known::kYes && !d.rel.empty();
    f.notIndexable += d.indexable == core::Known::kNo;
    f.lost += !d.lostSince.empty();
    f.unanswered += d.httpStatus == 0;
  }
  return f;
}

// Seconds from Stop, given 3 s into a check, to the check's end.
double stopTime(int port) {
  core::LinkList links;
  fillLinks(links, port);
  core::Event stop;
  Clock::time_point stoppedAt;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stoppedAt = Clock::now();
    stop.set();
  });
  links::checkLinkingPages(links, kSite, stop, {}, nullptr);
  const auto ended = Clock::now();
  stopper.join();
  return std::chrono::duration<double>(ended - stoppedAt).count();
}

}  // namespace

int main() {
  pid_t farm = -1;
  const int port = startFarm(farm);
  if (port <= 0) {
    std::printf("the farm did not start\n");
    return 1;
  }
  const std::optional<Figures> f = bench::inChildProcess([port] { return fullCheck(port); });
  const std::optional<double> stopped = bench::inChildProcess([port] { return stopTime(port); });
  kill(farm, SIGTERM);
  waitpid(farm, nullptr, 0);
  if (!f || !stopped) {
    std::printf("a check did not end\n");
    return 1;
  }
  std::printf("%zu linking pages on %d hosts, %d at once, at most %d per host:\n", f->checked, kHosts,
              links::kLinkCheckJobs, links::kLinkCheckJobsPerHost);
  std::printf("  checked in %.1f s (goal %.0f s: %.2fx of it), peak %ld MB (goal %ld MB: %.2fx of it)\n", f->seconds,
              kGoalSeconds, f->seconds / kGoalSeconds, f->peakKb / 1024, kGoalKb / 1024,
              static_cast<double>(f->peakKb) / kGoalKb);
  std::printf("  link found %d (not followed %d), not indexable %d, lost %d, no answer %d\n", f->found,
              f->notFollowed, f->notIndexable, f->lost, f->unanswered);
  std::printf("  Stop ended the check in %.2f s (goal %.0f s: %.2fx of it)\n", *stopped, kStopGoalSeconds,
              *stopped / kStopGoalSeconds);
  return 0;
}
