#pragma once
// A real HTTP server on 127.0.0.1 for tests: register handlers, start it on a
// free port, point the code under test at baseUrl(). It runs on a background
// thread and is stopped and joined when the object goes away.
//
// Register handlers before start(): the handler tables are not guarded once
// the server runs. Handlers that wait or write slowly should watch
// stopping() so that shutting down never waits on them for long.
//
// The library answers 400 by itself, without calling a handler, for a
// request target holding a second '?'.

#include <httplib.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

namespace larkspur::test {

class LocalServer {
 public:
  LocalServer();
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // The server, to register handlers on (Get, Post, set_mount_point, ...).
  httplib::Server& server() { return server_; }
  LocalServer& get(const std::string& pattern, httplib::Server::Handler handler);
  LocalServer& post(const std::string& pattern, httplib::Server::Handler handler);

  // Binds 127.0.0.1 on a free port and returns once the server accepts
  // connections. False when no port could be bound.
  bool start();
  // Stops accepting, waits for running handlers and joins the thread.
  // Called by the destructor; harmless when not running.
  void stop();

  int port() const { return port_; }
  // "http://127.0.0.1:PORT"
  std::string baseUrl() const;
  // baseUrl() followed by `path` (which starts with '/').
  std::string url(std::string_view path) const;

  // True once stop() has begun.
  bool stopping() const { return stopping_.load(); }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
  std::atomic<bool> stopping_{false};
};

// A port on 127.0.0.1 that nothing listens on (bound once by the system's
// choice, then released), for "connection refused" cases.
int unusedLocalPort();

}  // namespace larkspur::test
