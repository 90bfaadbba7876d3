#include "links/link_info_update.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/link_list_edit.h"
#include "core/message_queue.h"
#include "core/service_hosts.h"
#include "links/ip_lookup.h"
#include "links/job_texts.h"
#include "tests/support/local_server.h"
#include "tests/support/silent_port.h"

namespace larkspur::links {
namespace {

using core::fieldView;

uint32_t address(const char* dotted) {
  in_addr a{};
  inet_aton(dotted, &a);
  return a.s_addr;
}

// A resolver that knows a few names and addresses and notes every call.
struct RecordingResolver {
  bool silent = false;  // no name is answered
  std::vector<std::string> names;
  std::vector<std::string> addresses;

  HostResolver resolver() {
    return HostResolver{
        [this](const std::string& name, const core::Event*) {
          names.push_back(name);
          if (silent) return NameAnswer{std::nullopt, true};
          if (name == "linker.example" || name == "www.linker.example") return NameAnswer{address("10.0.0.5")};
          return NameAnswer{};
        },
        [this](uint32_t a, const core::Event*) {
          addresses.push_back(dottedAddress(a));
          return dottedAddress(a) == "127.0.0.1" ? NameAnswer{a} : NameAnswer{};
        }};
  }
};

TEST(IpLookup, NamesByNameAndDottedAddressesInReverse) {
  RecordingResolver r;
  const HostResolver resolver = r.resolver();
  EXPECT_EQ(lookUpIp("http://linker.example/page", resolver), "10.0.0.5");
  EXPECT_EQ(lookUpIp("http://127.0.0.1:8080/page", resolver), "127.0.0.1");
  EXPECT_EQ(lookUpIp("http://192.0.2.7/", resolver), std::nullopt);    // no host entry
  EXPECT_EQ(lookUpIp("http://unknown.example/", resolver), std::nullopt);
  EXPECT_EQ(lookUpIp("http://1up.example/", resolver), std::nullopt);  // not a letter, not an address
  EXPECT_EQ(lookUpIp("no url", resolver), std::nullopt);
  EXPECT_EQ(r.names, (std::vector<std::string>{"linker.example", "unknown.example"}));
  EXPECT_EQ(r.addresses, (std::vector<std::string>{"127.0.0.1", "192.0.2.7"}));
}

TEST(IpLookup, TheSystemResolverKnowsLocalhost) {
  EXPECT_EQ(lookUpIp("http://localhost/"), "127.0.0.1");
  EXPECT_EQ(lookUpIp("http://127.0.0.1/"), "127.0.0.1");
}

// The toolbar and the e-mail search on one local server.
class LinkInfoUpdateTest : public ::testing::Test {
 protected:
  LinkInfoUpdateTest() {
    setenv("no_proxy", "*", 1);
    service_.get("/search", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("client")) {
        ++rankQueries_;
        if (onRankQuery_) onRankQuery_();
        const std::string q = req.get_param_value("q");
        res.set_content(q.find("linker.example") != std::string::npos ? "Rank_1:1:5" : "Rank_1:1:2", "text/plain");
        return;
      }
      ++emailQueries_;
      const std::string host = req.get_param_value("q");
      res.set_content("<p>Contact webmaster@<b>" + host + "</b> or see our pages for more", "text/html");
    });
    options_.resolver = resolver_.resolver();
  }
  ~LinkInfoUpdateTest() override { core::setServiceBase(""); }

  core::LinkRecord* add(const std::string& url, const std::string& ip = "", const std::string& email = "",
                        int32_t rank = 0) {
    core::LinkRecord r{};
    r.url = url;
    r.ip = ip;
    r.email = email;
    r.page_rank = rank;
    return links_.append(r);
  }

  test::LocalServer service_;
  std::function<void()> onRankQuery_;
  std::atomic<int> rankQueries_{0};
  std::atomic<int> emailQueries_{0};
  RecordingResolver resolver_;
  core::LinkList links_;
  core::Coordination coordination_;
  core::MessageQueue queue_;
  LinkInfoOptions options_;
};

TEST_F(LinkInfoUpdateTest, GetAllWritesChangesAndAnnouncesOnlyChangedLinks) {
  ASSERT_TRUE(service_.start());
  ASSERT_TRUE(core::setServiceBase(service_.baseUrl()));
  core::LinkRecord* linker = add("http://www.linker.example/page");
  // Already up to date: same address, rank and e-mail.
  core::LinkRecord* same = add("http://127.0.0.1/", "127.0.0.1", "webmaster@127.0.0.1", 2);
  // Nothing resolves and the e-mail search finds nothing: old values stay.
  core::LinkRecord* unknown = add("http://unknown.example/", "10.9.9.9", "old@unknown.example", 2);
  // A link without a host keeps what it has; its rank query still runs.
  core::LinkRecord* hostless = add("hostless", "1.2.3.4", "", 2);
  // An address the user typed stays; one the user emptied is filled again.
  core::LinkRecord* typed = add("http://typed.example/");
  core::LinkFields fields = core::linkFieldsOf(*typed);
  fields.email = "anna@typed.example";
  core::applyLinkFields(*typed, fields, 1);
  core::LinkRecord* emptied = add("http://emptied.example/");
  fields = core::linkFieldsOf(*emptied);
  fields.email = "x@emptied.example";
  core::applyLinkFields(*emptied, fields, 1);
  fields.email = "";
  core::applyLinkFields(*emptied, fields, 1);

  LinkInfoResult result = runLinkInfoUpdate(links_, kGetAll, coordination_, queue_.poster(), options_);
  EXPECT_EQ(result.visited, 6u);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(updateEndText(coordination_.stop.isSet()), "Update complete!");

  EXPECT_EQ(linker->ip, "10.0.0.5");
  EXPECT_EQ(linker->page_rank, 5);
  EXPECT_EQ(linker->email, "webmaster@linker.example");
  EXPECT_EQ(same->ip, "127.0.0.1");
  EXPECT_EQ(same->email, "webmaster@127.0.0.1");
  EXPECT_EQ(unknown->ip, "10.9.9.9");
  EXPECT_EQ(unknown->email, "webmaster@unknown.example");  // the fake search answers every host
  EXPECT_EQ(hostless->ip, "1.2.3.4");
  EXPECT_EQ(hostless->page_rank, 2);
  EXPECT_EQ(typed->email, "anna@typed.example");
  EXPECT_EQ(emptied->email, "webmaster@emptied.example");

  std::vector<core::Message> messages = queue_.take();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].id, core::MessageId::kRecordChanged);
  EXPECT_EQ(messages[0].record, linker);
  EXPECT_EQ(messages[0].param, 0);
  EXPECT_EQ(messages[1].record, unknown);
  EXPECT_EQ(messages[1].param, 2);
  EXPECT_EQ(result.changed, 4u);
}

TEST_F(LinkInfoUpdateTest, EachCommandDoesOnlyItsPart) {
  ASSERT_TRUE(service_.start());
  ASSERT_TRUE(core::setServiceBase(service_.baseUrl()));
  core::LinkRecord* r = add("http://linker.example/", "", "", 5);

  // The rank is unchanged: no message.
  runLinkInfoUpdate(links_, kGetPageRank, coordination_, queue_.poster(), options_);
  EXPECT_TRUE(queue_.take().empty());
  EXPECT_EQ(rankQueries_.load(), 1);
  EXPECT_EQ(emailQueries_.load(), 0);
  EXPECT_TRUE(resolver_.names.empty());

  runLinkInfoUpdate(links_, kGetIpAddress, coordination_, queue_.poster(), options_);
  EXPECT_EQ(r->ip, "10.0.0.5");
  EXPECT_EQ(r->email, "");
  EXPECT_EQ(queue_.take().size(), 1u);

  runLinkInfoUpdate(links_, kGetEmailAddress, coordination_, queue_.poster(), options_);
  EXPECT_EQ(r->email, "webmaster@linker.example");
  EXPECT_EQ(queue_.take().size(), 1u);
  EXPECT_EQ(rankQueries_.load(), 1);
}

TEST_F(LinkInfoUpdateTest, AFailedRankQueryKeepsTheStoredRank) {
  test::SilentPort silent;
  ASSERT_GT(silent.port(), 0);
  const std::string bases[] = {
      "http://127.0.0.1:" + std::to_string(test::unusedLocalPort()),  // refuses the connection
      silent.baseUrl(),                                                // takes it and never answers
  };
  options_.rankFetch.stallTimeout = std::chrono::milliseconds(200);
  for (const std::string& base : bases) {
    SCOPED_TRACE(base);
    ASSERT_TRUE(core::setServiceBase(base));
    core::LinkRecord* r = add("http://linker.example/", "", "", 6);
    runLinkInfoUpdate(links_, kGetPageRank, coordination_, queue_.poster(), options_);
    EXPECT_EQ(r->page_rank, 6);
    EXPECT_TRUE(queue_.take().empty()) << "nothing changed, nothing announced";
    links_.clear();
  }
}

// Three look-ups of one kind without an answer in a row: that service is
// asked no more, said once, and what it would have changed stays.
TEST_F(LinkInfoUpdateTest, ASilentServiceIsGivenUpAfterThreeLookUpsAndSaidOnce) {
  test::SilentPort silent;
  ASSERT_TRUE(core::setServiceBase(silent.baseUrl()));
  options_.rankFetch = lookUpFetchOptions(std::chrono::milliseconds(200));
  options_.emailFetch = lookUpFetchOptions(std::chrono::milliseconds(200));
  resolver_.silent = true;
  for (int i = 0; i < 6; ++i) add("http://linker.example/" + std::to_string(i), "10.1.1.1", "old@linker.example", 7);
  const auto began = std::chrono::steady_clock::now();
  const LinkInfoResult result = runLinkInfoUpdate(links_, kGetAll, coordination_, queue_.poster(), options_);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));
  EXPECT_EQ(result.visited, 6u);
  EXPECT_EQ(result.silent, (std::vector<std::string>{kNameServiceSilent, kRankServiceSilent, kEmailServiceSilent}));
  EXPECT_EQ(resolver_.names.size(), 3u);
  std::vector<std::string> notices;
  for (const core::Message& m : queue_.take()) {
    if (m.id == core::MessageId::kJobNotice) notices.push_back(m.text);
  }
  EXPECT_EQ(notices, result.silent);
  for (std::size_t i = 0; i < links_.size(); ++i) {
    EXPECT_EQ(links_.at(i)->ip, "10.1.1.1");
    EXPECT_EQ(links_.at(i)->page_rank, 7);
    EXPECT_EQ(links_.at(i)->email, "old@linker.example");
  }
}

TEST_F(LinkInfoUpdateTest, StopEndsTheWalkAtTheCurrentLinkLeavingWhatItHadNotDoneAsItWas) {
  onRankQuery_ = [this] { coordination_.stop.set(); };
  ASSERT_TRUE(service_.start());
  ASSERT_TRUE(core::setServiceBase(service_.baseUrl()));
  add("http://linker.example/a", "", "", 3);
  add("http://linker.example/b");
  add("http://linker.example/c");
  LinkInfoResult result = runLinkInfoUpdate(links_, kGetAll, coordination_, queue_.poster(), options_);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.visited, 1u);
  // The queries under way when Stop came were cut short: nothing of theirs
  // was written.
  EXPECT_EQ(links_.at(0)->page_rank, 3);
  EXPECT_EQ(links_.at(0)->email, "");
  EXPECT_EQ(emailQueries_.load(), 0);
  EXPECT_EQ(updateEndText(coordination_.stop.isSet()), "Update canceled!");
}

TEST_F(LinkInfoUpdateTest, StopCutsAQueryToASilentServiceShort) {
  test::SilentPort silent;
  ASSERT_TRUE(core::setServiceBase(silent.baseUrl()));
  add("http://linker.example/a", "", "", 4);
  add("http://linker.example/b");
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    coordination_.stop.set();
  });
  const auto began = std::chrono::steady_clock::now();
  LinkInfoResult result = runLinkInfoUpdate(links_, kGetAll, coordination_, queue_.poster(), options_);
  const auto took = std::chrono::steady_clock::now() - began;
  stopper.join();
  EXPECT_TRUE(result.stopped);
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  EXPECT_EQ(links_.at(0)->page_rank, 4);
}

TEST_F(LinkInfoUpdateTest, LinksAppendedDuringTheWalkAreVisitedAndDeletedOnesAreHarmless) {
  std::atomic<int> calls{0};
  onRankQuery_ = [this, &calls] {
    // While the first link is worked on, a search appends one link and the
    // user deletes the first.
    if (++calls == 1) {
      add("http://linker.example/appended");
      links_.remove(links_.at(0).get());
    }
  };
  ASSERT_TRUE(service_.start());
  ASSERT_TRUE(core::setServiceBase(service_.baseUrl()));
  add("http://linker.example/first");
  add("http://linker.example/second");
  LinkInfoResult result = runLinkInfoUpdate(links_, kGetPageRank, coordination_, queue_.poster(), options_);
  // The removal shifted the list under the walk: index 1 is now the appended
  // link, and the second link was passed over. Nobody read a freed record.
  EXPECT_EQ(result.visited, 2u);
  EXPECT_EQ(links_.size(), 2u);
  EXPECT_EQ(links_.at(1)->page_rank, 5);
  std::vector<core::Message> messages = queue_.take();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(links_.find(static_cast<core::LinkRecord*>(messages[0].record)), nullptr);  // the deleted one
  EXPECT_EQ(messages[1].record, links_.at(1).get());
}

}  // namespace
}  // namespace larkspur::links
