// The target check over a local name server and the target farm: one verdict
// per kind of target today's web holds.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/target_health.h"
#include "health/dns_lookup.h"
#include "health/parking_signals.h"
#include "health/registrable_domain.h"
#include "health/target_check.h"
#include "tests/fixtures/farm/target_farm.h"
#include "tests/support/dns_server.h"
#include "tests/support/silent_port.h"

namespace larkspur::health {
namespace {

using test::DnsRule;

// A port nothing listens on.
int closedPort() {
  test::SilentPort taken;
  return taken.port();
}

class TargetCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(farm.start());
    dns.set("farm.test", {DnsRule::kAnswer, {"127.0.0.1"}, {"ns1.farm-dns.test"}});
    dns.set("*.farm.test", {DnsRule::kAnswer, {"127.0.0.1"}, {}});
    dns.set("parked.example", {DnsRule::kAnswer, {"127.0.0.1"}, {"ns2.SedoParking.com"}});
    dns.set("servfail.example", {DnsRule::kServerFail, {}, {}});
    dns.set("silent.example", {DnsRule::kSilent, {}, {}});
    options.dnsServer = dns.address();
    options.deadline = std::chrono::milliseconds(2500);
  }
  std::string at(const std::string& host, const std::string& path, int port = 0) const {
    return "http://" + host + ":" + std::to_string(port ? port : farm.port()) + path;
  }

  farm::TargetFarm farm;
  test::DnsServer dns;
  test::SilentPort silent;
  CheckOptions options;
};

TEST_F(TargetCheck, EachKindOfTargetGetsItsVerdictAndReason) {
  const int refused = closedPort();
  const std::string dir = "dir.farm.test";
  const struct Case {
    std::string url;
    int type;
    const char* verdict;
    const char* reason;  // a part of it
  } cases[] = {
      {at(dir, "/first-button/"), 99, "live", "the form is there"},
      {at(dir, "/health/same-site/"), 99, "live", "the form is there"},
      {at(dir, "/first-button/"), 0, "live", "holds a form"},
      {at(dir, "/health/no-form/"), 99, "no-form", "holds no form"},
      {at(dir, "/dir-captcha/"), 99, "no-form", "cannot be sent"},
      {at(dir, "/health/for-sale/"), 99, "parked", "\"this domain is for sale\""},
      {at(dir, "/health/ad-script/"), 99, "parked", "caf.js"},
      {at(dir, "/health/lander-script/"), 99, "parked", "sends to /lander"},
      {at("parked.example", "/first-button/"), 99, "parked", "name servers at sedoparking.com"},
      {at(dir, "/health/marketplace/"), 99, "parked", "marketplace sedo.com"},
      {at(dir, "/health/hop/"), 99, "parked", "through ww1.dir.farm.test"},
      {at(dir, "/health/moved/"), 99, "moved", "www.elsewhere.example"},
      {at("gone.example", "/first-button/"), 99, "gone", "does not exist (NXDOMAIN)"},
      {at(dir, "/health/not-found/"), 99, "gone", "404"},
      {at(dir, "/health/gone/"), 99, "gone", "410"},
      {at(dir, "/health/broken/"), 99, "unknown", "HTTP 500"},
      {at(dir, "/health/busy/"), 99, "unknown", "429"},
      {at(dir, "/health/challenge/"), 99, "unknown", "403"},
      {at(dir, "/redirect-loop/"), 99, "unknown", "more than 5 times"},
      {at(dir, "/", refused), 99, "unreachable", "refused the connection"},
      {"https://" + dir + ":" + std::to_string(farm.port()) + "/first-button/", 99, "unreachable", "secure connection"},
      {at("servfail.example", "/"), 99, "unknown", "name server failed"},
      {at("silent.example", "/"), 99, "unknown", "no answer from the name server"},
      {at(dir, "/", silent.port()), 99, "unknown", "no answer within 3 seconds"},
      // What a target list may hold.
      {"ftp://files.example/add", 99, "unknown", "not an http or https address"},
      {"http://:8080/add.html", 99, "unknown", "address"},
      {"", 99, "unknown", "not an http or https address"},
      {"http://" + std::string(64, 'a') + ".example/add", 99, "gone", "longer than DNS allows"},
      {"http://" + std::string(200, 'b') + "." + std::string(60, 'c') + ".example/", 99, "gone", "longer than DNS"},
  };
  std::vector<core::EngineRecord> targets;
  for (const Case& c : cases) {
    core::EngineRecord record;
    record.name = "T" + std::to_string(targets.size());
    record.submit_url = c.url;
    record.submit_type = c.type;
    targets.push_back(record);
  }
  std::map<std::size_t, Verdict> found;
  const auto started = std::chrono::steady_clock::now();
  const core::Event stop;
  const std::size_t checked = checkTargets(targets, options, stop, [&](std::size_t i, const Verdict& v) {
    EXPECT_TRUE(found.emplace(i, v).second) << "reported twice: " << i;
  });
  EXPECT_EQ(checked, std::size(cases));
  // The silent ones end at their deadline, together.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Verdict& v = found[i];
    EXPECT_EQ(v.verdict, cases[i].verdict) << cases[i].url << ": " << v.reason;
    EXPECT_NE(v.reason.find(cases[i].reason), std::string::npos) << cases[i].url << ": " << v.reason;
    EXPECT_EQ(v.checked.size(), 20u) << v.checked;
  }
}

TEST_F(TargetCheck, StopEndsTheRunWithinASecondAndReportsNoneOfTheStoppedOnes) {
  std::vector<core::EngineRecord> targets(6);
  for (core::EngineRecord& r : targets) r.submit_url = at("dir.farm.test", "/", silent.port());
  targets[0].submit_url = at("dir.farm.test", "/first-button/");
  targets[0].submit_type = 99;
  options.deadline = std::chrono::seconds(60);
  options.jobs = 2;
  core::Event stop;
  std::vector<std::size_t> reported;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    stop.set();
  });
  const auto started = std::chrono::steady_clock::now();
  checkTargets(targets, options, stop, [&](std::size_t i, const Verdict&) { reported.push_back(i); });
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(700 + 1000));
  stopper.join();
  EXPECT_EQ(reported, std::vector<std::size_t>{0});
}

TEST(RegistrableDomain, FromThePublicSuffixList) {
  const std::pair<const char*, const char*> cases[] = {
      {"www.Example.co.uk", "example.co.uk"}, {"a.b.example.com.", "example.com"}, {"co.uk", "co.uk"},
      {"127.0.0.1", "127.0.0.1"},             {"[::1]", "::1"},                   {"dir.farm.test", "farm.test"},
  };
  for (const auto& [host, domain] : cases) EXPECT_EQ(registrableDomain(host), domain) << host;
}

TEST(DnsServerOption, TakesAnAddressAndAPortOnly) {
  for (const char* good : {"127.0.0.1:53", "127.0.0.1", "[::1]:5353", "::1"}) EXPECT_EQ(dnsServerError(good), "") << good;
  for (const char* bad : {"", "localhost:53", "1.2.3.4:0", "1.2.3.4:99999", "1.2.3.4:", "[::1", "1.2.3.4,5.6.7.8",
                          "1.2.3.4:5x"}) {
    EXPECT_NE(dnsServerError(bad).find("--dns-server wants HOST:PORT"), std::string::npos) << bad;
  }
}

TEST(ParkingSignals, TheBuiltInFileIsReadAndMatchesByDomain) {
  const ParkingSignals& signals = builtInParkingSignals();
  EXPECT_EQ(signals.parkingServiceOf("NS1.SEDOPARKING.COM."), "sedoparking.com");
  EXPECT_EQ(signals.parkingServiceOf("ns1.notsedoparking.com"), "");
  EXPECT_EQ(signals.marketplaceOf("www.sedo.com"), "sedo.com");
  EXPECT_FALSE(signals.texts.empty());
  EXPECT_FALSE(signals.scripts.empty());
  EXPECT_FALSE(signals.landerPaths.empty());
  EXPECT_FALSE(signals.hopLabels.empty());
}

}  // namespace
}  // namespace larkspur::health
