#include "web/page_fetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/local_server.h"

namespace larkspur::web {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr char kUntouched[] = "untouched";

// Bytes 0..255 repeated: NULs included, and any shift of the data shows.
std::string patternBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return body;
}

// Waits for the server's shutdown or the limit, in small steps.
void idle(const test::LocalServer& server, milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!server.stopping() && Clock::now() < end) std::this_thread::sleep_for(milliseconds(5));
}

struct Fetch {
  int32_t result = 0;
  uint32_t received = 0;
  std::vector<char> buffer;
  char errorText[kFetchErrorTextCapacity];

  std::string body() const { return std::string(buffer.data(), received); }
  std::string error() const { return errorText; }
};

class PageFetchTest : public ::testing::Test {
 protected:
  PageFetchTest() {
    // Local requests must never go through a proxy from the environment.
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
  }

  Fetch fetch(const std::string& url, uint32_t capacity = 65536, const PageFetchOptions& options = {}) {
    Fetch f;
    f.buffer.assign(capacity + 1, '#');
    std::strcpy(f.errorText, kUntouched);
    f.received = 12345;
    f.result = pageFetch(url, f.buffer.data(), capacity, f.received, f.errorText, stop_, options);
    return f;
  }

  // The tests may run where only loopback is up: the machine said online.
  static PageFetchOptions online() {
    PageFetchOptions options;
    options.offlineCheck = [](std::string_view) { return false; };
    return options;
  }

  test::LocalServer server_;
  core::Event stop_;
};

TEST_F(PageFetchTest, StoresWholeChunksBelowTheCapacity) {
  struct Case {
    std::size_t bodySize;
    uint32_t capacity;
  };
  const Case cases[] = {
      {0, 100},          // empty answer
      {1000, 1001},      // fits with one byte to spare
      {1000, 1000},      // the chunk would reach the capacity: not stored
      {100000, 40000},   // much larger than the capacity
      {100000, 200000},  // several chunks, all stored
  };
  for (const Case& c : cases) {
    const std::string body = patternBody(c.bodySize);
    server_.get("/body" + std::to_string(c.bodySize), [body](const httplib::Request&, httplib::Response& res) {
      res.set_content(body, "application/octet-stream");
    });
  }
  ASSERT_TRUE(server_.start());

  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "body " << c.bodySize << ", capacity " << c.capacity);
    const std::string body = patternBody(c.bodySize);
    Fetch f = fetch(server_.url("/body" + std::to_string(c.bodySize)), c.capacity);
    EXPECT_EQ(f.result, kFetchComplete);
    EXPECT_EQ(f.error(), kUntouched);
    ASSERT_LT(f.received, c.capacity);
    EXPECT_EQ(f.body(), body.substr(0, f.received));
    EXPECT_EQ(f.buffer[f.received], '#') << "byte written past the stored data";
    if (c.bodySize < c.capacity) {
      EXPECT_EQ(f.received, c.bodySize);
    } else {
      // Only the chunk that would reach the capacity (16384 bytes at most)
      // is left out.
      EXPECT_GE(f.received + kFetchChunkSize, c.capacity);
    }
  }
}

TEST_F(PageFetchTest, ErrorStatusStillReturnsTheBody) {
  for (int status : {404, 500}) {
    server_.get("/status" + std::to_string(status), [status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content("page says " + std::to_string(status), "text/html");
    });
  }
  ASSERT_TRUE(server_.start());
  for (int status : {404, 500}) {
    Fetch f = fetch(server_.url("/status" + std::to_string(status)));
    EXPECT_EQ(f.result, kFetchComplete) << status;
    EXPECT_EQ(f.body(), "page says " + std::to_string(status));
    EXPECT_EQ(f.error(), kUntouched);
  }
}

TEST_F(PageFetchTest, ReportsTheStatusOfTheFinalResponse) {
  struct Case {
    std::string path;
    int32_t status;
  };
  const Case cases[] = {{"/status/200", 200}, {"/status/404", 404}, {"/status/503", 503}, {"/moved", 200}};
  server_.get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1].str());
    res.set_content("body", "text/plain");
  });
  server_.get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/status/200"); });
  ASSERT_TRUE(server_.start());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<char> buffer(1000);
    char errorText[kFetchErrorTextCapacity] = {};
    uint32_t received = 0;
    int32_t status = -1;
    EXPECT_EQ(pageFetch(server_.url(c.path), buffer.data(), 1000, received, errorText, stop_, {}, &status),
              kFetchComplete);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(std::string(buffer.data(), received), "body");
  }

  // No response at all: no status.
  std::vector<char> buffer(1000);
  char errorText[kFetchErrorTextCapacity] = {};
  uint32_t received = 0;
  int32_t status = -1;
  EXPECT_EQ(pageFetch("http://127.0.0.1:" + std::to_string(test::unusedLocalPort()) + "/", buffer.data(), 1000,
                      received, errorText, stop_, {}, &status),
            kFetchConnectFailed);
  EXPECT_EQ(status, 0);
}

TEST_F(PageFetchTest, SendsAPlainHttp10GetWithTheAgentOnly) {
  std::mutex mutex;
  httplib::Request seen;
  server_.get("/page", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    seen = req;
    res.set_content("ok", "text/plain");
  });
  ASSERT_TRUE(server_.start());

  Fetch f = fetch(server_.url("/page?a=1&b=two"));
  ASSERT_EQ(f.result, kFetchComplete);
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.version, "HTTP/1.0");
  EXPECT_EQ(seen.target, "/page?a=1&b=two");
  EXPECT_EQ(seen.get_header_value("User-Agent"), "Microsoft Internet Explorer");
  EXPECT_FALSE(seen.has_header("Accept"));
  EXPECT_FALSE(seen.has_header("Accept-Encoding"));
  EXPECT_FALSE(seen.has_header("Referer"));
}

TEST_F(PageFetchTest, StopSetBeforehandEndsAfterConnectingWithoutARequest) {
  std::atomic<int> requests{0};
  server_.get("/page", [&](const httplib::Request&, httplib::Response& res) {
    ++requests;
    res.set_content("should not be asked for", "text/plain");
  });
  ASSERT_TRUE(server_.start());
  stop_.set();

  Fetch f = fetch(server_.url("/page"));
  EXPECT_EQ(f.result, kFetchConnectFailed);
  EXPECT_EQ(f.error(), kBreakByUser);
  EXPECT_EQ(f.received, 0u);
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(PageFetchTest, StopDuringASlowBodyEndsAfterTheCurrentChunk) {
  const std::string piece(1000, 'x');
  core::Event* stop = &stop_;
  server_.get("/slow", [&, stop, piece](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [&, stop, piece](size_t, httplib::DataSink& sink) {
      for (int i = 0; i < 200 && !server_.stopping(); ++i) {
        if (!sink.write(piece.data(), piece.size())) return false;
        if (i == 3) stop->set();
        std::this_thread::sleep_for(milliseconds(20));
      }
      sink.done();
      return true;
    });
  });
  ASSERT_TRUE(server_.start());

  const auto start = Clock::now();
  Fetch f = fetch(server_.url("/slow"), 1'000'000);
  EXPECT_EQ(f.result, kFetchConnectFailed);
  EXPECT_EQ(f.error(), kBreakByUser);
  EXPECT_GE(f.received, 4000u);
  EXPECT_LT(f.received, 200000u);
  EXPECT_EQ(f.body(), std::string(f.received, 'x'));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(PageFetchTest, ConnectionFailuresGiveMinusOneWithTheLibraryText) {
  const int closedPort = test::unusedLocalPort();
  ASSERT_GT(closedPort, 0);
  // A 64-character label can never be sent as a DNS query, so the name fails
  // inside the resolver without leaving the machine.
  const std::string unknownHost = std::string(64, 'a') + ".invalid";
  for (const std::string& url :
       {"http://127.0.0.1:" + std::to_string(closedPort) + "/page", "http://" + unknownHost + "/page"}) {
    SCOPED_TRACE(url);
    Fetch f = fetch(url, 65536, online());
    EXPECT_EQ(f.result, kFetchConnectFailed);
    EXPECT_EQ(f.received, 0u);
    const std::string text = f.error();
    EXPECT_NE(text, kUntouched);
    EXPECT_NE(text, kBreakByUser);
    ASSERT_FALSE(text.empty());
    EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text.front())));
    EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text.back())));
  }
}

TEST_F(PageFetchTest, UnusableUrlsGiveMinusTwo) {
  ASSERT_TRUE(server_.start());
  for (const std::string& url : {std::string("http://"), "ftp://127.0.0.1:" + std::to_string(server_.port()) + "/"}) {
    SCOPED_TRACE(url);
    Fetch f = fetch(url, 65536, online());
    EXPECT_EQ(f.result, kFetchRequestFailed);
    EXPECT_NE(f.error(), kUntouched);
    EXPECT_FALSE(f.error().empty());
  }
}

TEST_F(PageFetchTest, ThePortInTheUrlIsTheOneConnected) {
  test::LocalServer other;
  server_.get("/who", [](const httplib::Request&, httplib::Response& res) { res.set_content("first", "text/plain"); });
  other.get("/who", [](const httplib::Request&, httplib::Response& res) { res.set_content("second", "text/plain"); });
  ASSERT_TRUE(server_.start());
  ASSERT_TRUE(other.start());
  EXPECT_EQ(fetch(server_.url("/who")).body(), "first");
  EXPECT_EQ(fetch(other.url("/who")).body(), "second");
}

TEST_F(PageFetchTest, RedirectsAreFollowedUpToTheLimit) {
  test::LocalServer other;
  server_.get("/from", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(other.url("/to"));
    res.set_content("redirect body", "text/plain");
  });
  server_.get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
  other.get("/to", [](const httplib::Request&, httplib::Response& res) { res.set_content("target", "text/plain"); });
  ASSERT_TRUE(other.start());
  ASSERT_TRUE(server_.start());

  Fetch followed = fetch(server_.url("/from"));
  EXPECT_EQ(followed.result, kFetchComplete);
  EXPECT_EQ(followed.body(), "target");

  PageFetchOptions options;
  options.maxRedirects = 3;
  Fetch looped = fetch(server_.url("/loop"), 65536, options);
  EXPECT_EQ(looped.result, kFetchSendFailed);
  EXPECT_NE(looped.error(), kUntouched);
  EXPECT_EQ(looped.received, 0u);
}

TEST_F(PageFetchTest, ASilentServerIsGivenUpAfterTheStallTimeOut) {
  server_.get("/mid-body", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [&](size_t, httplib::DataSink& sink) {
      sink.write("partial", 7);
      idle(server_, milliseconds(10'000));
      return false;
    });
  });
  server_.get("/no-answer", [&](const httplib::Request&, httplib::Response& res) {
    idle(server_, milliseconds(10'000));
    res.set_content("late", "text/plain");
  });
  ASSERT_TRUE(server_.start());
  PageFetchOptions options;
  options.stallTimeout = milliseconds(200);

  auto start = Clock::now();
  Fetch midBody = fetch(server_.url("/mid-body"), 65536, options);
  EXPECT_EQ(midBody.result, kFetchSendFailed);
  EXPECT_EQ(midBody.body(), "partial");
  EXPECT_EQ(midBody.error(), kUntouched) << "a failed read leaves the error text alone";
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));

  start = Clock::now();
  Fetch noAnswer = fetch(server_.url("/no-answer"), 65536, options);
  EXPECT_EQ(noAnswer.result, kFetchSendFailed);
  EXPECT_EQ(noAnswer.received, 0u);
  EXPECT_NE(noAnswer.error(), kUntouched);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

TEST_F(PageFetchTest, AFetchThatNeverStallsStillEndsAtItsDeadline) {
  // A byte every 200 ms keeps the stall time-out from ever firing; the
  // deadline ends the fetch however the server dawdles.
  server_.get("/trickle", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [&](size_t, httplib::DataSink& sink) {
      for (int i = 0; i < 100 && !server_.stopping(); ++i) {
        if (!sink.write("t", 1)) return false;
        std::this_thread::sleep_for(milliseconds(200));
      }
      sink.done();
      return true;
    });
  });
  server_.get("/no-answer", [&](const httplib::Request&, httplib::Response& res) {
    idle(server_, milliseconds(10'000));
    res.set_content("late", "text/plain");
  });
  ASSERT_TRUE(server_.start());
  PageFetchOptions options;  // default stall time-out
  options.deadline = milliseconds(1000);

  for (const char* path : {"/trickle", "/no-answer"}) {
    SCOPED_TRACE(path);
    const auto start = Clock::now();
    Fetch f = fetch(server_.url(path), 65536, options);
    const auto took = Clock::now() - start;
    EXPECT_EQ(f.result, kFetchSendFailed);
    EXPECT_EQ(f.error(), kFetchTookTooLong);
    EXPECT_EQ(f.body(), std::string(f.received, 't'));
    EXPECT_GE(took, milliseconds(1000));
    EXPECT_LT(took, milliseconds(2500));
  }
}

TEST_F(PageFetchTest, StopWhileWaitingForASilentServerEndsWithinASecond) {
  server_.get("/silent", [&](const httplib::Request&, httplib::Response& res) {
    idle(server_, milliseconds(10'000));
    res.set_content("late", "text/plain");
  });
  ASSERT_TRUE(server_.start());
  std::thread stopper([this] {
    std::this_thread::sleep_for(milliseconds(200));
    stop_.set();
  });
  const auto start = Clock::now();
  Fetch f = fetch(server_.url("/silent"));  // default 60 s stall time-out
  stopper.join();
  EXPECT_EQ(f.result, kFetchConnectFailed);
  EXPECT_EQ(f.error(), kBreakByUser);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(PageFetchTest, OfflineEndsBeforeAnyConnection) {
  std::atomic<int> requests{0};
  server_.get("/page", [&](const httplib::Request&, httplib::Response& res) {
    ++requests;
    res.set_content("x", "text/plain");
  });
  ASSERT_TRUE(server_.start());
  std::string askedHost;
  PageFetchOptions options;
  options.offlineCheck = [&](std::string_view host) {
    askedHost = host;
    return true;
  };
  Fetch offline = fetch(server_.url("/page"), 100, options);
  EXPECT_EQ(offline.result, kFetchOffline);
  EXPECT_EQ(offline.error(), kUntouched);
  EXPECT_EQ(offline.received, 0u);
  EXPECT_EQ(askedHost, "127.0.0.1");
  EXPECT_EQ(requests.load(), 0);

  options.offlineCheck = [](std::string_view) { return false; };
  EXPECT_EQ(fetch(server_.url("/page"), 100, options).result, kFetchComplete);
  EXPECT_EQ(requests.load(), 1);
}

TEST_F(PageFetchTest, ConcurrentFetchesKeepTheirOwnAnswers) {
  server_.get(R"(/n/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(patternBody(20000 + std::stoi(req.matches[1].str())), "application/octet-stream");
  });
  ASSERT_TRUE(server_.start());
  constexpr int kThreads = 8;
  std::vector<std::string> bodies(kThreads);
  std::vector<int32_t> results(kThreads, 99);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      std::vector<char> buffer(65536);
      char errorText[kFetchErrorTextCapacity] = {};
      uint32_t received = 0;
      core::Event ownStop;
      results[i] = pageFetch(server_.url("/n/" + std::to_string(i)), buffer.data(), 65536, received, errorText,
                             ownStop);
      bodies[i].assign(buffer.data(), received);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(results[i], kFetchComplete) << i;
    EXPECT_EQ(bodies[i], patternBody(20000 + i)) << i;
  }
}

}  // namespace
}  // namespace larkspur::web
