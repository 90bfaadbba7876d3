#include "links/ip_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "core/event.h"
#include "core/website_profile.h"

namespace larkspur::links {

namespace {

// A failure of the service itself rather than an answer about the name.
bool serviceFailed(int rc) { return rc == EAI_AGAIN || rc == EAI_FAIL || rc == EAI_SYSTEM || rc == EAI_MEMORY; }

NameAnswer resolveName(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  NameAnswer answer;
  const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    answer.unanswered = serviceFailed(rc);
    return answer;
  }
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addr != nullptr) {
      answer.address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  freeaddrinfo(found);
  return answer;
}

NameAnswer resolveAddress(uint32_t address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = address;
  char host[NI_MAXHOST];
  const int rc =
      getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0, NI_NAMEREQD);
  NameAnswer answer;
  if (rc == 0) answer.address = address;
  answer.unanswered = serviceFailed(rc);
  return answer;
}

// Runs a blocking look-up on a thread of its own and waits for it at most
// `deadline`, looking at `stop` every 100 ms. A look-up that outlives the
// wait finishes on its own; its answer goes nowhere.
NameAnswer withDeadline(std::function<NameAnswer()> lookUp, std::chrono::milliseconds deadline,
                        const core::Event* stop) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<NameAnswer> answer;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, lookUp = std::move(lookUp)] {
      NameAnswer answer = lookUp();
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->answer = answer;
      shared->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return NameAnswer{std::nullopt, true};
  }
  const auto until = std::chrono::steady_clock::now() + deadline;
  std::unique_lock<std::mutex> lock(shared->mutex);
  while (!shared->answer) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until || (stop && stop->isSet())) return NameAnswer{std::nullopt, true};
    shared->done.wait_for(lock, std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(100)));
  }
  return *shared->answer;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

HostResolver systemResolver(std::chrono::milliseconds deadline) {
  return HostResolver{
      [deadline](const std::string& name, const core::Event* stop) {
        return withDeadline([name] { return resolveName(name); }, deadline, stop);
      },
      [deadline](uint32_t address, const core::Event* stop) {
        return withDeadline([address] { return resolveAddress(address); }, deadline, stop);
      }};
}

std::string dottedAddress(uint32_t address) {
  in_addr in{};
  in.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &in, text, sizeof text) == nullptr) return {};
  return text;
}

std::optional<std::string> lookUpIp(std::string_view url, const HostResolver& resolver, bool* unanswered,
                                    const core::Event* stop) {
  if (unanswered) *unanswered = false;
  const std::string host = core::hostOfUrl(url);
  if (host.empty()) return std::nullopt;
  NameAnswer answer;
  if (isLetter(host.front())) {
    if (!resolver.byName) return std::nullopt;
    answer = resolver.byName(host, stop);
  } else {
    in_addr parsed{};
    if (inet_aton(host.c_str(), &parsed) == 0 || !resolver.byAddress) return std::nullopt;
    answer = resolver.byAddress(parsed.s_addr, stop);
    if (answer.address) answer.address = parsed.s_addr;
  }
  if (unanswered) *unanswered = answer.unanswered;
  if (!answer.address) return std::nullopt;
  return dottedAddress(*answer.address);
}

}  // namespace larkspur::links
