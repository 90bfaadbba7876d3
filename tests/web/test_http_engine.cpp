// The HTTP engine against a local server: the notifications a browser gives
// (frames, titles, error statuses, transport failures), form submissions
// through carryOut, cookies, redirects, and stopping a load that hangs.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/local_server.h"
#include "web/http_engine.h"
#include "web/navigation_codes.h"

namespace larkspur::web {
namespace {

using Log = std::vector<std::string>;

// Writes every notification as a line; documents may be handled further by
// `onComplete` (to write and click, as a walk does).
class EventLog : public BrowserEvents {
 public:
  void navigationStarting(const std::string&) override {}
  void documentComplete(Document& document) override {
    lines.push_back("complete " + document.url());
    if (onComplete) onComplete(document);
  }
  void titleChange(const std::string& title) override { lines.push_back("title " + title); }
  void navigationError(const std::string& url, const std::string& frame, uint32_t code, LoadScope scope) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, code >= 0x1000 ? "%X" : "%u", code);
    lines.push_back("error " + url + " [" + frame + "] " + hex + (scope == LoadScope::kFrame ? " frame" : ""));
  }
  Log lines;
  std::function<void(Document&)> onComplete;
};

std::string page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

std::size_t named(const Document& doc, const std::string& name) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).name == name) return i;
  }
  return doc.size();
}

class HttpEngineTest : public ::testing::Test {
 protected:
  void run(const std::string& url) {
    engine.setEvents(&log);
    engine.navigate(url);
    engine.runPending();
  }
  test::LocalServer server;
  HttpEngine engine;
  EventLog log;
};

TEST_F(HttpEngineTest, FramesCompleteBeforeTheirPageAndErrorsNameTheFrame) {
  server.get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><head><title>Frames</title></head><frameset cols=\"50%,50%\">"
                    "<frame name=\"left\" src=\"/left\"><frame name=\"right\" src=\"/gone\"></frameset></html>",
                    "text/html");
  });
  server.get("/left", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Left", "<iframe name=\"inner\" src=\"/inner\"></iframe>"), "text/html");
  });
  server.get("/inner", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Inner", "x"), "text/html");
  });
  server.get("/gone", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content(page("Gone", "404 here"), "text/html");
  });
  ASSERT_TRUE(server.start());
  const std::string base = server.baseUrl();
  run(server.url("/"));
  EXPECT_EQ(log.lines, (Log{
                           "title Frames",
                           "complete " + base + "/inner",
                           "complete " + base + "/left",
                           "error " + base + "/gone [right] 404 frame",
                           "complete " + base + "/gone",
                           "complete " + base + "/",
                       }));
  ASSERT_NE(engine.page(), nullptr);
  EXPECT_EQ(engine.page()->title(), "Frames");
}

TEST_F(HttpEngineTest, TitleChangesOnlyWhenTheTitleDiffers) {
  server.get("/a", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Same", "a"), "text/html");
  });
  server.get("/untitled", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><body>no title</body></html>", "text/html");
  });
  ASSERT_TRUE(server.start());
  run(server.url("/a"));
  run(server.url("/a"));
  run(server.url("/untitled"));
  EXPECT_EQ(log.lines, (Log{"title Same", "complete " + server.url("/a"), "complete " + server.url("/a"),
                            "complete " + server.url("/untitled")}));
}

TEST_F(HttpEngineTest, TransportFailuresMapToNavigationCodesAndShowNoPage) {
  struct Case {
    std::string url;
    uint32_t code;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(test::unusedLocalPort()) + "/", kNavCannotConnect},
      {"ftp://127.0.0.1/file", kNavUnknownProtocol},
      {"http://", kNavInvalidUrl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    HttpEngine fresh;
    EventLog events;
    fresh.setEvents(&events);
    fresh.navigate(c.url);
    fresh.runPending();
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", c.code);
    EXPECT_EQ(events.lines, (Log{"error " + c.url + " [] " + hex}));
  }
}

TEST_F(HttpEngineTest, NavigationCodesForTransferFailures) {
  EXPECT_EQ(navigationCodeForTransfer(CURLE_COULDNT_RESOLVE_HOST), 0x800C0005u);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_COULDNT_CONNECT), 0x800C0004u);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_OPERATION_TIMEDOUT), 0x800C000Bu);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_URL_MALFORMAT), 0x800C0002u);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_TOO_MANY_REDIRECTS), 0x800C0014u);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_RECV_ERROR), 0x800C0008u);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_PEER_FAILED_VERIFICATION), 0x800C000Eu);
  EXPECT_EQ(navigationCodeForTransfer(CURLE_ABORTED_BY_CALLBACK), 0x800C000Fu);
}

TEST_F(HttpEngineTest, FormPostCarriesTheSessionCookieAgentAndRefererAndFollowsTheRedirect) {
  std::string cookie, agent, referer, type, body;
  server.get("/form", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "sid=42; Path=/");
    res.set_content(page("Form", "<form action=\"post\" method=\"post\"><input name=\"url\">"
                                 "<input type=\"submit\" name=\"go\" value=\"Add\"></form>"),
                    "text/html");
  });
  server.post("/post", [&](const httplib::Request& req, httplib::Response& res) {
    cookie = req.get_header_value("Cookie");
    agent = req.get_header_value("User-Agent");
    referer = req.get_header_value("Referer");
    type = req.get_header_value("Content-Type");
    body = req.body;
    res.status = 303;
    res.set_header("Location", "/done");
  });
  server.get("/done", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Thanks", "Thank you"), "text/html");
  });
  ASSERT_TRUE(server.start());
  log.onComplete = [this](Document& doc) {
    const std::size_t url = named(doc, "url");
    if (url == doc.size()) return;
    doc.setValue(url, "http://www.example.com/a b");
    doc.click(named(doc, "go"));
    engine.carryOut(doc);
    EXPECT_TRUE(doc.actions().empty());
  };
  run(server.url("/form"));
  EXPECT_EQ(cookie, "sid=42");
  EXPECT_EQ(agent, kEngineAgent);
  EXPECT_EQ(referer, server.url("/form"));
  EXPECT_EQ(type, "application/x-www-form-urlencoded");
  EXPECT_EQ(body, "url=http%3A%2F%2Fwww.example.com%2Fa+b&go=Add");
  EXPECT_EQ(log.lines, (Log{"title Form", "complete " + server.url("/form"), "title Thanks",
                            "complete " + server.url("/done")}));
  EXPECT_EQ(engine.requestCount(), 2u);
}

TEST_F(HttpEngineTest, CookiesBelongToOneEngine) {
  std::vector<std::string> seen;
  server.get("/set", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "sid=7; Path=/");
    res.set_content(page("Set", ""), "text/html");
  });
  server.get("/check", [&seen](const httplib::Request& req, httplib::Response& res) {
    seen.push_back(req.get_header_value("Cookie"));
    res.set_content(page("Check", ""), "text/html");
  });
  ASSERT_TRUE(server.start());
  run(server.url("/set"));
  run(server.url("/check"));
  HttpEngine other;
  other.navigate(server.url("/check"));
  other.runPending();
  EXPECT_EQ(seen, (std::vector<std::string>{"sid=7", ""}));
}

TEST_F(HttpEngineTest, ASubmissionInsideAFrameLoadsIntoThatFrameOnly) {
  server.get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><head><title>Top</title></head><frameset><frame name=\"main\" src=\"/f\"></frameset></html>",
                    "text/html");
  });
  server.get("/f", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("F", "<form action=\"/answer\"><input type=\"submit\" name=\"go\"></form>"), "text/html");
  });
  server.get("/answer", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Answer", "done"), "text/html");
  });
  ASSERT_TRUE(server.start());
  bool clicked = false;
  log.onComplete = [&](Document& doc) {
    if (clicked || named(doc, "go") == doc.size()) return;
    clicked = true;
    doc.click(named(doc, "go"));
    engine.carryOut(doc);
  };
  run(server.url("/"));
  EXPECT_EQ(log.lines, (Log{"title Top", "complete " + server.url("/f"), "complete " + server.url("/"),
                            "complete " + server.url("/answer?go=Submit")}));
  EXPECT_EQ(engine.page()->title(), "Top");
}

TEST_F(HttpEngineTest, ClicksTargetingANewWindowOrScriptsLoadNothing) {
  server.get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("P", "<form action=\"/x\" target=\"_blank\"><input type=\"submit\" name=\"a\"></form>"
                              "<input type=\"button\" name=\"b\" onclick=\"go()\">"),
                    "text/html");
  });
  ASSERT_TRUE(server.start());
  log.onComplete = [this](Document& doc) {
    doc.click(named(doc, "a"));
    doc.click(named(doc, "b"));
    engine.carryOut(doc);
  };
  run(server.url("/"));
  EXPECT_FALSE(engine.hasPending());
  EXPECT_EQ(engine.requestCount(), 1u);
}

TEST_F(HttpEngineTest, StoppingFromTheIdleHookAbandonsAHangingLoadAtOnce) {
  std::atomic<bool> release{false};
  server.get("/hang", [&release](const httplib::Request&, httplib::Response& res) {
    for (int i = 0; i < 500 && !release.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    res.set_content(page("Late", ""), "text/html");
  });
  ASSERT_TRUE(server.start());
  const auto began = std::chrono::steady_clock::now();
  int idleCalls = 0;
  engine.setIdleHook([&] {
    ++idleCalls;
    if (std::chrono::steady_clock::now() - began > std::chrono::milliseconds(150)) engine.stopLoading();
    return std::chrono::milliseconds(20);
  });
  run(server.url("/hang"));
  const auto took = std::chrono::steady_clock::now() - began;
  release.store(true);
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  EXPECT_GE(idleCalls, 3);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(engine.page(), nullptr);
}

TEST_F(HttpEngineTest, AClosedEngineLoadsNothingAndCarriesOutNothing) {
  server.get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("P", "<form action=\"/x\"><input type=\"submit\" name=\"a\"></form>"), "text/html");
  });
  ASSERT_TRUE(server.start());
  log.onComplete = [this](Document& doc) {
    engine.close();
    doc.click(named(doc, "a"));
    engine.carryOut(doc);
    EXPECT_TRUE(doc.actions().empty());
  };
  run(server.url("/"));
  EXPECT_TRUE(engine.isClosed());
  EXPECT_FALSE(engine.hasPending());
  engine.navigate(server.url("/"));
  engine.runPending();
  EXPECT_EQ(log.lines.size(), 2u);  // title and the one completed page
}

}  // namespace
}  // namespace larkspur::web
