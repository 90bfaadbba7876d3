#include "tests/support/local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace larkspur::test {

LocalServer::LocalServer() = default;

LocalServer::~LocalServer() { stop(); }

LocalServer& LocalServer::get(const std::string& pattern, httplib::Server::Handler handler) {
  server_.Get(pattern, std::move(handler));
  return *this;
}

LocalServer& LocalServer::post(const std::string& pattern, httplib::Server::Handler handler) {
  server_.Post(pattern, std::move(handler));
  return *this;
}

bool LocalServer::start() {
  if (thread_.joinable()) return true;
  // Binding listens already, so connections made from here on are queued even
  // before the accept loop runs.
  socket_t listening = INVALID_SOCKET;
  server_.set_socket_options([&listening](socket_t sock) {
    httplib::default_socket_options(sock);
    listening = sock;
  });
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) {
    port_ = -1;
    return false;
  }
  // The library listens with a backlog of 5; a burst of simultaneous clients
  // beyond that would see dropped connection attempts retried only a second
  // later. Listening again only raises the backlog.
  if (listening != INVALID_SOCKET) ::listen(listening, SOMAXCONN);
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() only takes effect once the accept loop runs; wait for it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return server_.is_running();
}

void LocalServer::stop() {
  stopping_.store(true);
  if (server_.is_running()) server_.stop();
  if (thread_.joinable()) thread_.join();
}

std::string LocalServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string LocalServer::url(std::string_view path) const { return baseUrl() + std::string(path); }

int unusedLocalPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t length = sizeof addr;
  int port = -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port = ntohs(addr.sin_port);
  }
  ::close(fd);
  return port;
}

}  // namespace larkspur::test
