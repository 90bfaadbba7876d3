#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/fixed_text.h"
#include "core/link_list.h"

namespace larkspur::core {
namespace {

LinkRecord link(const std::string& url) {
  LinkRecord r{};
  r.url = url;
  return r;
}

TEST(LinkList, KeepsOrderAndStableAddresses) {
  LinkList list;
  LinkRecord* first = list.append(link("http://a/"));
  for (int i = 0; i < 1000; ++i) list.append(link("http://b/" + std::to_string(i)));
  EXPECT_EQ(list.at(0).get(), first);
  EXPECT_EQ(first->url, "http://a/");
  EXPECT_EQ(list.size(), 1001u);
  EXPECT_EQ(list.at(1001), nullptr);
}

TEST(LinkList, AppendIfNewUrlComparesWholeUrlsExactly) {
  LinkList list;
  EXPECT_NE(list.appendIfNewUrl(link("http://a.example/x")), nullptr);
  EXPECT_EQ(list.appendIfNewUrl(link("http://a.example/x")), nullptr);
  EXPECT_NE(list.appendIfNewUrl(link("http://a.example/x/")), nullptr);
  EXPECT_NE(list.appendIfNewUrl(link("HTTP://A.EXAMPLE/X")), nullptr);
  EXPECT_EQ(list.size(), 3u);
}

TEST(LinkList, RemovedRecordStaysAliveForAHolder) {
  LinkList list;
  LinkRecord* r = list.append(link("http://keep/"));
  LinkList::Ptr held = list.find(r);
  ASSERT_TRUE(held);
  EXPECT_TRUE(list.remove(r));
  EXPECT_FALSE(list.remove(r));
  EXPECT_EQ(list.find(r), nullptr);
  EXPECT_EQ(held->url, "http://keep/");  // a worker may still read it
  EXPECT_EQ(list.size(), 0u);
}

TEST(LinkList, ConcurrentAppendsWritesAndDeletesAreSafe) {
  LinkList list;
  std::atomic<bool> done{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) list.appendIfNewUrl(link("http://t" + std::to_string(t) + "/" + std::to_string(i % 500)));
    });
  }
  std::thread writer([&] {
    while (!done) {
      for (const LinkList::Ptr& p : list.snapshot()) {
        list.withLock([&] { p->ip.assign("10.0.0.1"); });
      }
    }
  });
  std::thread deleter([&] {
    while (!done) {
      if (LinkList::Ptr p = list.at(0)) list.remove(p.get());
    }
  });
  for (auto& t : threads) t.join();
  done = true;
  writer.join();
  deleter.join();
  EXPECT_LE(list.size(), 1500u);
  for (const auto& p : list.snapshot()) EXPECT_EQ(std::string(p->url).rfind("http://t", 0), 0u);
}

}  // namespace
}  // namespace larkspur::core
