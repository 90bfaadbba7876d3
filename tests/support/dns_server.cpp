#include "tests/support/dns_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>

namespace larkspur::test {

namespace {

constexpr int kTypeA = 1;
constexpr int kTypeNs = 2;
constexpr int kRcodeServFail = 2;
constexpr int kRcodeNxDomain = 3;

void put16(std::string& out, int value) {
  out += static_cast<char>((value >> 8) & 0xff);
  out += static_cast<char>(value & 0xff);
}

std::string encodedName(const std::string& name) {
  std::string out;
  std::size_t start = 0;
  while (start < name.size()) {
    std::size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    out += static_cast<char>(dot - start);
    out += name.substr(start, dot - start);
    start = dot + 1;
  }
  return out + '\0';
}

}  // namespace

DnsServer::DnsServer() {
  fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof addr;
  if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
}

DnsServer::~DnsServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) ::close(fd_);
}

void DnsServer::set(const std::string& name, DnsRule rule) {
  std::lock_guard lock(mutex_);
  rules_[name] = std::move(rule);
}

DnsRule DnsServer::ruleFor(std::string name) {
  std::lock_guard lock(mutex_);
  if (auto exact = rules_.find(name); exact != rules_.end()) return exact->second;
  for (std::size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.', dot + 1)) {
    if (auto wild = rules_.find("*" + name.substr(dot)); wild != rules_.end()) return wild->second;
  }
  return DnsRule{DnsRule::kNoName, {}, {}};
}

std::string DnsServer::answer(const std::string& query) {
  if (query.size() < 17) return {};
  // The question: labels from offset 12, then type and class.
  std::string name;
  std::size_t at = 12;
  while (at < query.size() && query[at] != 0) {
    const auto length = static_cast<unsigned char>(query[at]);
    if (length > 63 || at + 1 + length > query.size()) return {};
    if (!name.empty()) name += '.';
    for (std::size_t i = 0; i < length; ++i) {
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(query[at + 1 + i])));
    }
    at += 1 + length;
  }
  if (at + 5 > query.size()) return {};
  const int type = (static_cast<unsigned char>(query[at + 1]) << 8) | static_cast<unsigned char>(query[at + 2]);
  const std::string question = query.substr(12, at + 5 - 12);

  const DnsRule rule = ruleFor(name);
  if (rule.kind == DnsRule::kSilent) return {};
  std::string records;
  int count = 0;
  if (rule.kind == DnsRule::kAnswer && type == kTypeA) {
    for (const std::string& address : rule.a) {
      in_addr bytes{};
      if (inet_pton(AF_INET, address.c_str(), &bytes) != 1) continue;
      records += "\xc0\x0c";
      put16(records, kTypeA);
      put16(records, 1);
      records += std::string("\0\0\0\x3c", 4);
      put16(records, 4);
      records.append(reinterpret_cast<const char*>(&bytes), 4);
      ++count;
    }
  } else if (rule.kind == DnsRule::kAnswer && type == kTypeNs) {
    for (const std::string& server : rule.ns) {
      const std::string data = encodedName(server);
      records += "\xc0\x0c";
      put16(records, kTypeNs);
      put16(records, 1);
      records += std::string("\0\0\0\x3c", 4);
      put16(records, static_cast<int>(data.size()));
      records += data;
      ++count;
    }
  }
  const int rcode = rule.kind == DnsRule::kNoName ? kRcodeNxDomain : rule.kind == DnsRule::kServerFail ? kRcodeServFail : 0;
  std::string reply = query.substr(0, 2);
  // QR, the query's opcode and RD, RA, the rcode.
  reply += static_cast<char>(0x80 | (query[2] & 0x79));
  reply += static_cast<char>(0x80 | rcode);
  put16(reply, 1);
  put16(reply, count);
  put16(reply, 0);
  put16(reply, 0);
  return reply + question + records;
}

void DnsServer::serve() {
  char buffer[1500];
  while (!stop_) {
    pollfd fd{fd_, POLLIN, 0};
    if (::poll(&fd, 1, 100) <= 0) continue;
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (got <= 0) continue;
    ++queries_;
    const std::string reply = answer(std::string(buffer, static_cast<std::size_t>(got)));
    if (!reply.empty()) {
      ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
  }
}

}  // namespace larkspur::test
