#include "core/link_list_edit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/fixed_text.h"

namespace larkspur::core {
namespace {

constexpr int32_t kNow = 1'700'000'000;

LinkFields withUrl(const std::string& url) {
  LinkFields f;
  f.url = url;
  return f;
}

TEST(LinkFieldsCheck, LimitsInDialogOrderThenTheUrl) {
  struct Case {
    std::string LinkFields::*field;
    std::size_t limit;
  };
  const Case cases[] = {
      {&LinkFields::url, 512},        {&LinkFields::linkText, 512},    {&LinkFields::note, 512},
      {&LinkFields::email, 63},       {&LinkFields::contactName, 63},  {&LinkFields::description, 1024},
      {&LinkFields::status, 63},
  };
  for (const Case& c : cases) {
    LinkFields f = withUrl("http://a/");
    // A URL still has to be one.
    const std::string prefix = c.field == &LinkFields::url ? "http://" : "";
    f.*c.field = prefix + std::string(c.limit - prefix.size(), 'x');
    EXPECT_TRUE(checkLinkFields(f).ok()) << c.limit;
    f.*c.field = prefix + std::string(c.limit + 1 - prefix.size(), 'x');
    EXPECT_EQ(checkLinkFields(f).message,
              "Please enter no more than " + std::to_string(c.limit) + " characters.");
  }
  EXPECT_EQ(checkLinkFields(withUrl("")).message, "Please input the Link URL!");
  // Only pages on the web are links.
  for (const char* url : {"javascript:alert(document.domain)//http://a/", "data:text/html,<script>", "file:///etc/passwd",
                          " http://a/", "ftp://a/", "a.example/"}) {
    EXPECT_EQ(checkLinkFields(withUrl(url)).message, "The Link URL must start with http:// or https://.") << url;
  }
  EXPECT_TRUE(checkLinkFields(withUrl("HTTPS://A.EXAMPLE/")).ok());
  // A too long note is reported before the missing URL.
  LinkFields both;
  both.note = std::string(513, 'n');
  EXPECT_EQ(checkLinkFields(both).message, "Please enter no more than 512 characters.");
}

TEST(LinkEdit, AddAppendsAndEditKeepsTheTimeAdded) {
  LinkList list;
  LinkFields f = withUrl("http://a.example/");
  f.linkText = "A";
  f.note = "note";
  f.email = "x@a.example";
  f.contactName = "X";
  AddLinkResult added = addLink(list, f, kNow);
  ASSERT_TRUE(added.status.ok());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.at(0).get(), added.record);
  EXPECT_EQ(added.record->add_time, kNow);
  EXPECT_EQ(added.record->note, "note");
  EXPECT_EQ(added.record->contact_name, "X");

  LinkFields changed = linkFieldsOf(*added.record);
  EXPECT_EQ(changed.email, "x@a.example");
  changed.linkText = "B";
  ASSERT_TRUE(editLink(list, added.record, changed, kNow + 50).ok());
  EXPECT_EQ(added.record->link_text, "B");
  EXPECT_EQ(added.record->email, "x@a.example");
  EXPECT_EQ(added.record->add_time, kNow);

  EXPECT_FALSE(addLink(list, withUrl(""), kNow).status.ok());
  EXPECT_EQ(list.size(), 1u);
}

TEST(LinkEdit, EditingARemovedRecordFailsWithoutTouchingIt) {
  LinkList list;
  LinkRecord* r = addLink(list, withUrl("http://a/"), kNow).record;
  LinkList::Ptr held = list.find(r);
  ASSERT_EQ(deleteLinks(list, std::vector<const LinkRecord*>{r}), 1u);
  EXPECT_FALSE(editLink(list, r, withUrl("http://b/"), kNow).ok());
  EXPECT_EQ(held->url, "http://a/");
}

TEST(LinkEdit, DeleteRemovesExactlyTheChosenRecords) {
  LinkList list;
  std::vector<LinkRecord*> r;
  for (int i = 0; i < 5; ++i) r.push_back(addLink(list, withUrl("http://" + std::to_string(i) + "/"), kNow).record);
  // As after sorting: any order, and a record named twice counts once.
  std::vector<const LinkRecord*> chosen{r[3], r[0], r[3]};
  EXPECT_EQ(deleteLinks(list, chosen), 2u);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.at(0)->url, "http://1/");
  EXPECT_EQ(list.at(1)->url, "http://2/");
  EXPECT_EQ(list.at(2)->url, "http://4/");
}

TEST(LinkEdit, CopyTextPutsCrLfAfterEachUrlInTheOrderGiven) {
  LinkList list;
  LinkRecord* a = addLink(list, withUrl("http://a/"), kNow).record;
  LinkRecord* b = addLink(list, withUrl("http://b/"), kNow).record;
  LinkRecord* c = addLink(list, withUrl("http://c/"), kNow).record;
  EXPECT_EQ(copyLinkText(list, std::vector<const LinkRecord*>{c, a}), "http://c/\r\nhttp://a/\r\n");
  EXPECT_EQ(copyLinkText(list, std::vector<const LinkRecord*>{}), "");
  list.remove(b);
  EXPECT_EQ(copyLinkText(list, std::vector<const LinkRecord*>{a, b, c}), "http://a/\r\nhttp://c/\r\n");
}

TEST(LinkEdit, DeleteWhileWorkersWriteAndAppend) {
  LinkList list;
  for (int i = 0; i < 200; ++i) addLink(list, withUrl("http://seed/" + std::to_string(i)), kNow);
  std::atomic<bool> done{false};
  // A worker walking the list by index and writing fields, as the info
  // update does.
  std::thread updater([&] {
    while (!done) {
      for (std::size_t i = 0; i < list.size(); ++i) {
        LinkList::Ptr r = list.at(i);
        if (!r) break;
        list.withLock([&] { r->ip.assign("127.0.0.1"); });
      }
    }
  });
  std::thread searcher([&] {
    for (int i = 0; i < 2000; ++i) list.appendIfNewUrl([&] {
        LinkRecord r{};
        r.url = "http://found/" + std::to_string(i);
        return r;
      }());
  });
  std::size_t removed = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<const LinkRecord*> chosen;
    for (const auto& r : list.snapshot()) {
      if (chosen.size() < 5) chosen.push_back(r.get());
    }
    removed += deleteLinks(list, chosen);
    copyLinkText(list, chosen);
  }
  searcher.join();
  done = true;
  updater.join();
  EXPECT_EQ(list.size(), 200u + 2000u - removed);
}

}  // namespace
}  // namespace larkspur::core
