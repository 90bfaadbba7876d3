#pragma once
// What the session benchmarks share: the profile every session fills forms
// from, JSON string quoting for the arguments handed to a peer program, and
// the process's own memory figures.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include <sys/wait.h>
#include <unistd.h>

#include "core/fixed_text.h"
#include "core/website_profile.h"

namespace larkspur::bench {

using core::copyText;

inline larkspur::core::WebsiteProfile benchProfile() {
  larkspur::core::WebsiteProfile p;
  copyText(p.url, "http://www.example-bakery.com/");
  copyText(p.title, "Example Bakery");
  copyText(p.email, "owner@example-bakery.com");
  copyText(p.first_name, "Anna");
  copyText(p.last_name, "Berg");
  copyText(p.country, "Germany");
  copyText(p.category, "Business");
  copyText(p.keyword, "bakery, bread, cakes");
  copyText(p.long_description, "A family bakery with fresh bread and cakes every day.");
  p.recomputeHost();
  return p;
}

inline std::string jsonText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"), 0 when absent.
inline long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return 0;
}

// Runs `work` in a child process of its own, its peak memory counted from
// the start, and hands back the figures it returned (a trivially copyable
// struct); nullopt when the child crashed or gave none.
template <typename Work>
auto inChildProcess(Work work) -> std::optional<decltype(work())> {
  using Figures = decltype(work());
  static_assert(std::is_trivially_copyable_v<Figures>);
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    close(fds[0]);
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    const Figures figures = work();
    const ssize_t written = write(fds[1], &figures, sizeof figures);
    _exit(written == static_cast<ssize_t>(sizeof figures) ? 0 : 1);
  }
  close(fds[1]);
  Figures figures{};
  const ssize_t got = read(fds[0], &figures, sizeof figures);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != static_cast<ssize_t>(sizeof figures) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return figures;
}

}  // namespace larkspur::bench
