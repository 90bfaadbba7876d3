// Opening a project of 342 targets and 10,000 links (decipher + parse + merge)
// against one plain RC4 pass over the same bytes. Prints both times and the
// ratio; the goal is at most 3x.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/project.h"
#include "core/project_file.h"
#include "core/rc4.h"

using larkspur::core::copyText;
using Clock = std::chrono::steady_clock;

namespace {

double medianMs(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  larkspur::core::Project source;
  source.newProject();
  copyText(source.profile.url, "http://www.example.com/");
  for (std::size_t i = 0; i < source.engines.size(); ++i) {
    copyText(source.engines.at(i)->submit_state, "Submit-OK");
    copyText(source.engines.at(i)->message, "Already Submited!");
  }
  for (int i = 0; i < 10000; ++i) {
    larkspur::core::LinkRecord link{};
    copyText(link.url, "http://www.linking-site-" + std::to_string(i) + ".example/page.html");
    copyText(link.link_text, "A page that links to the site number " + std::to_string(i));
    copyText(link.email, "webmaster@linking-site.example");
    copyText(link.ip, "192.0.2." + std::to_string(i % 250));
    link.page_rank = i % 10;
    source.links.append(link);
  }
  auto buffer = larkspur::core::buildProjectBuffer(source.profile, source.engines, source.links);
  if (!buffer) {
    std::fprintf(stderr, "cannot build the project buffer\n");
    return 1;
  }

  std::vector<double> openTimes, rc4Times;
  for (int r = 0; r < rounds; ++r) {
    larkspur::core::Project target;
    std::vector<uint8_t> copy = *buffer;
    auto t0 = Clock::now();
    larkspur::core::Status s = larkspur::core::loadProjectBuffer(
        std::move(copy), target.profile, target.engines, target.links, target.ppc,
        target.engineSource());
    auto t1 = Clock::now();
    if (!s.ok() || target.links.size() != 10000) {
      std::fprintf(stderr, "load failed\n");
      return 1;
    }
    std::vector<uint8_t> plain = *buffer;
    auto t2 = Clock::now();
    larkspur::core::rc4Storage(plain);
    auto t3 = Clock::now();
    openTimes.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    rc4Times.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
  }
  double open = medianMs(openTimes);
  double rc4 = medianMs(rc4Times);
  std::printf("project bytes: %zu (342 targets, 10000 links)\n", buffer->size());
  std::printf("open (decipher + parse + merge): %.2f ms (median of %d)\n", open, rounds);
  std::printf("plain RC4 pass:                  %.2f ms\n", rc4);
  std::printf("ratio open / RC4: %.2fx (goal: at most 3x)\n", open / rc4);
  return 0;
}
