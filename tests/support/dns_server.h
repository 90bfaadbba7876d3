#pragma once
// A small name server on 127.0.0.1 for the tests: answers UDP queries for A,
// AAAA and NS records from rules set by the test, or NXDOMAIN, SERVFAIL, or
// nothing at all.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspur::test {

struct DnsRule {
  enum Kind { kAnswer, kNoName, kServerFail, kSilent };
  Kind kind = kAnswer;
  std::vector<std::string> a;   // IPv4 addresses
  std::vector<std::string> ns;  // name servers (for NS queries)
};

class DnsServer {
 public:
  DnsServer();
  ~DnsServer();
  DnsServer(const DnsServer&) = delete;
  DnsServer& operator=(const DnsServer&) = delete;

  // `name` in lower case; "*.example.test" answers for every name below
  // example.test that has no rule of its own. Names without a rule: NXDOMAIN.
  void set(const std::string& name, DnsRule rule);
  int port() const { return port_; }
  // "127.0.0.1:PORT", as --dns-server takes it.
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  int queries() const { return queries_; }

 private:
  void serve();
  std::string answer(const std::string& query);
  DnsRule ruleFor(std::string name);

  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> queries_{0};
  std::mutex mutex_;
  std::map<std::string, DnsRule> rules_;
  std::thread thread_;
};

}  // namespace larkspur::test
