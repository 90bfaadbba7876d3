#pragma once
// A port on 127.0.0.1 that takes connections and never answers: the system
// completes each connection into the listen queue, nobody reads or writes.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace larkspur::test {

class SilentPort {
 public:
  SilentPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::listen(fd_, 64) == 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
      port_ = ntohs(addr.sin_port);
    }
  }
  ~SilentPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;

  int port() const { return port_; }
  std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = -1;
};

}  // namespace larkspur::test
