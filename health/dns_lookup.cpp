#include "health/dns_lookup.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <ares.h>
#include <netdb.h>
#include <poll.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "core/ascii_text.h"

namespace larkspur::health {

namespace {

using Clock = std::chrono::steady_clock;

void initialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { ares_library_init(ARES_LIB_INIT_ALL); });
}

// One query's outcome.
struct Query {
  bool done = false;
  int status = ARES_SUCCESS;
  std::vector<std::string> values;
};

void onAddress(void* arg, int status, int, unsigned char* answer, int length, int family) {
  auto* query = static_cast<Query*>(arg);
  query->done = true;
  query->status = status;
  if (status != ARES_SUCCESS) return;
  char text[INET6_ADDRSTRLEN];
  if (family == AF_INET) {
    ares_addrttl found[16];
    int count = 16;
    query->status = ares_parse_a_reply(answer, length, nullptr, found, &count);
    for (int i = 0; query->status == ARES_SUCCESS && i < count; ++i) {
      if (inet_ntop(AF_INET, &found[i].ipaddr, text, sizeof text)) query->values.emplace_back(text);
    }
  } else {
    ares_addr6ttl found[16];
    int count = 16;
    query->status = ares_parse_aaaa_reply(answer, length, nullptr, found, &count);
    for (int i = 0; query->status == ARES_SUCCESS && i < count; ++i) {
      if (inet_ntop(AF_INET6, &found[i].ip6addr, text, sizeof text)) query->values.emplace_back(text);
    }
  }
}

void onA(void* arg, int status, int timeouts, unsigned char* answer, int length) {
  onAddress(arg, status, timeouts, answer, length, AF_INET);
}
void onAaaa(void* arg, int status, int timeouts, unsigned char* answer, int length) {
  onAddress(arg, status, timeouts, answer, length, AF_INET6);
}

void onNs(void* arg, int status, int, unsigned char* answer, int length) {
  auto* query = static_cast<Query*>(arg);
  query->done = true;
  query->status = status;
  if (status != ARES_SUCCESS) return;
  hostent* host = nullptr;
  query->status = ares_parse_ns_reply(answer, length, &host);
  if (query->status != ARES_SUCCESS || !host) return;
  for (char** alias = host->h_aliases; alias && *alias; ++alias) {
    std::string name = core::asciiLower(*alias);
    if (!name.empty() && name.back() == '.') name.pop_back();
    query->values.push_back(std::move(name));
  }
  ares_free_hostent(host);
}

class Channel {
 public:
  Channel(const std::string& server, std::chrono::milliseconds timeout) {
    initialiseOnce();
    ares_options options{};
    options.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES;
    // Two tries per server within the time given.
    options.timeout = static_cast<int>(std::clamp<long long>(timeout.count() / 3, 100, 5000));
    options.tries = 2;
    status_ = ares_init_options(&channel_, &options, ARES_OPT_FLAGS | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES);
    if (status_ == ARES_SUCCESS && !server.empty()) status_ = ares_set_servers_ports_csv(channel_, server.c_str());
  }
  ~Channel() {
    if (channel_) ares_destroy(channel_);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  int status() const { return status_; }
  ares_channel get() const { return channel_; }

  // Drives the queries until `finished()` or the time is up or stop is set.
  template <typename Finished>
  DnsOutcome run(Clock::time_point end, const core::Event& stop, Finished finished) {
    while (!finished()) {
      if (stop.isSet()) return DnsOutcome::kStopped;
      const auto now = Clock::now();
      if (now >= end) return DnsOutcome::kTimeOut;
      ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
      const int mask = ares_getsock(channel_, sockets, ARES_GETSOCK_MAXNUM);
      pollfd fds[ARES_GETSOCK_MAXNUM];
      nfds_t count = 0;
      for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
        const short events = static_cast<short>((ARES_GETSOCK_READABLE(mask, i) ? POLLIN : 0) |
                                                (ARES_GETSOCK_WRITABLE(mask, i) ? POLLOUT : 0));
        if (events == 0) continue;
        fds[count++] = pollfd{sockets[i], events, 0};
      }
      timeval longest{0, 100'000};
      timeval wait{};
      const timeval* next = ares_timeout(channel_, &longest, &wait);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
      const int waitMs = static_cast<int>(std::min<long long>(next->tv_sec * 1000 + next->tv_usec / 1000, left));
      const int ready = ::poll(fds, count, std::max(waitMs, 1));
      if (ready <= 0) {
        ares_process_fd(channel_, ARES_SOCKET_BAD, ARES_SOCKET_BAD);  // time-outs
        continue;
      }
      for (nfds_t i = 0; i < count; ++i) {
        const bool readable = fds[i].revents & (POLLIN | POLLERR | POLLHUP);
        const bool writable = fds[i].revents & POLLOUT;
        if (readable || writable) {
          ares_process_fd(channel_, readable ? fds[i].fd : ARES_SOCKET_BAD, writable ? fds[i].fd : ARES_SOCKET_BAD);
        }
      }
    }
    return DnsOutcome::kFound;
  }

 private:
  ares_channel channel_ = nullptr;
  int status_ = ARES_SUCCESS;
};

bool answered(const Query& q) { return q.done && q.status != ARES_ETIMEOUT; }
bool failedOnServer(int status) {
  return status == ARES_ESERVFAIL || status == ARES_EREFUSED || status == ARES_EBADRESP ||
         status == ARES_EFORMERR || status == ARES_ECONNREFUSED || status == ARES_ENOTIMP;
}

}  // namespace

DnsResolver::DnsResolver(std::string server) : server_(std::move(server)) {}

DnsAnswer DnsResolver::lookUp(const std::string& host, const std::string& nsDomain,
                              std::chrono::milliseconds timeout, const core::Event& stop) const {
  DnsAnswer answer;
  Channel channel(server_, timeout);
  if (channel.status() != ARES_SUCCESS) {
    answer.error = ares_strerror(channel.status());
    return answer;
  }
  Query a, aaaa, ns;
  ns.done = nsDomain.empty();
  ares_query(channel.get(), host.c_str(), ns_c_in, ns_t_a, onA, &a);
  ares_query(channel.get(), host.c_str(), ns_c_in, ns_t_aaaa, onAaaa, &aaaa);
  if (!nsDomain.empty()) ares_query(channel.get(), nsDomain.c_str(), ns_c_in, ns_t_ns, onNs, &ns);
  const DnsOutcome ran = channel.run(Clock::now() + timeout, stop, [&] { return a.done && aaaa.done && ns.done; });

  answer.addresses = a.values;
  answer.addresses.insert(answer.addresses.end(), aaaa.values.begin(), aaaa.values.end());
  answer.nameServers = ns.values;
  if (!answer.addresses.empty()) {
    answer.outcome = DnsOutcome::kFound;
  } else if (ran != DnsOutcome::kFound) {
    answer.outcome = ran;
  } else if (a.status == ARES_ENOTFOUND || aaaa.status == ARES_ENOTFOUND) {
    answer.outcome = DnsOutcome::kNoName;
  } else if (a.status == ARES_ENODATA && aaaa.status == ARES_ENODATA) {
    answer.outcome = DnsOutcome::kNoAddress;
  } else if (!answered(a) && !answered(aaaa)) {
    answer.outcome = DnsOutcome::kTimeOut;
  } else if (failedOnServer(a.status) || failedOnServer(aaaa.status)) {
    answer.outcome = DnsOutcome::kServerFail;
  } else {
    answer.outcome = DnsOutcome::kError;
  }
  if (answer.outcome != DnsOutcome::kFound) {
    answer.error = ares_strerror(a.status != ARES_SUCCESS ? a.status : aaaa.status);
  }
  return answer;
}

std::string dnsServerError(const std::string& server) {
  const std::string sentence =
      "--dns-server wants HOST:PORT with an IP address (e.g. 127.0.0.1:53), not '" + server + "'";
  std::string host = server;
  std::optional<std::string> port;
  if (!server.empty() && server.front() == '[') {
    const std::size_t close = server.find(']');
    if (close == std::string::npos || (close + 1 < server.size() && server[close + 1] != ':')) return sentence;
    host = server.substr(1, close - 1);
    if (close + 1 < server.size()) port = server.substr(close + 2);
  } else if (const std::size_t colon = server.find(':');
             colon != std::string::npos && server.find(':', colon + 1) == std::string::npos) {
    host = server.substr(0, colon);
    port = server.substr(colon + 1);
  }
  unsigned char bytes[16];
  if (inet_pton(AF_INET, host.c_str(), bytes) != 1 && inet_pton(AF_INET6, host.c_str(), bytes) != 1) return sentence;
  if (port) {
    const bool digits = !port->empty() && port->size() <= 5 &&
                        std::all_of(port->begin(), port->end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(*port) == 0 || std::stoi(*port) > 65535) return sentence;
  }
  return {};
}

}  // namespace larkspur::health
