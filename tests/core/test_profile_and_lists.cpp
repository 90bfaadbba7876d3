#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/builtin_lists.h"
#include "core/fixed_text.h"
#include "core/ppc_list.h"
#include "core/website_profile.h"
#include "tests/support/expect_each.h"

namespace larkspur::core {
namespace {

TEST(HostOfUrl, FollowsTheUrlParser) {
  test::expectEach(hostOfUrl, {{"http://www.example.com/", "www.example.com"},
                               {"http://www.example.com", "www.example.com"},
                               {"https://shop.example.co.uk:8443/a/b?c=d", "shop.example.co.uk"},
                               {"HTTP://WWW.EXAMPLE.COM/", "WWW.EXAMPLE.COM"},
                               {"http://user:pw@example.org/x", "example.org"},
                               {"www.example.com", ""},  // no scheme: no host
                               {"http://", ""},
                               {"", ""},
                               {"not a url at all", ""}});
}

TEST(WebsiteProfile, ResetEmptiesEveryFieldAndHostFollowsUrl) {
  WebsiteProfile p;
  copyText(p.url, "http://www.larkspur-garden.com/index.html");
  copyText(p.title, "Garden");
  p.recomputeHost();
  EXPECT_STREQ(p.host, "www.larkspur-garden.com");
  p.reset();
  for (const ProfileField& f : profileFields()) EXPECT_EQ(f.in(p)[0], '\0') << f.key;
  EXPECT_EQ(p.host[0], '\0');
}

TEST(WebsiteProfile, FieldTableHasTheSeventeenKeysAndCapacities) {
  struct Expected {
    const char* key;
    std::size_t capacity;
  } expected[] = {
      {"m_szurl", 260},         {"m_title", 260},      {"m_email", 260},
      {"m_firstname", 64},      {"m_lastname", 64},    {"m_user", 260},
      {"m_password", 260},      {"m_zip", 260},        {"m_city", 260},
      {"m_address", 260},       {"m_country", 260},    {"m_category", 260},
      {"m_category_addon1", 260}, {"m_telephone", 64}, {"m_keyword", 1024},
      {"m_shortdescript", 260}, {"m_longdescript", 4096},
  };
  auto fields = profileFields();
  ASSERT_EQ(fields.size(), std::size(expected));
  std::set<std::size_t> offsets;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EXPECT_STREQ(fields[i].key, expected[i].key);
    EXPECT_EQ(fields[i].capacity, expected[i].capacity) << expected[i].key;
    EXPECT_EQ(profileFieldByKey(expected[i].key), &fields[i]);
    EXPECT_EQ(profileFieldByOption(fields[i].option), &fields[i]);
    offsets.insert(fields[i].offset);
  }
  EXPECT_EQ(offsets.size(), fields.size());  // no two keys share a field
  EXPECT_EQ(profileFieldByKey("m_host"), nullptr);
}

TEST(BuiltinLists, CountsOrderAndTellingEntries) {
  auto countries = countryList();
  ASSERT_EQ(countries.size(), 25u);
  EXPECT_STREQ(countries[0], "Australia");
  EXPECT_STREQ(countries[4], "Australia");
  EXPECT_STREQ(countries[24], "USA");

  auto categories = categoryList();
  ASSERT_EQ(categories.size(), 18u);
  EXPECT_STREQ(categories[2], "Business");
  EXPECT_STREQ(categories[17], "Travel");

  auto addons = categoryAddonList();
  ASSERT_EQ(addons.size(), 485u);
  EXPECT_STREQ(addons[0], "Arts & Humanities >> Authors");
  EXPECT_STREQ(addons[56], "Arts & Humanities >> Web Directories");
  EXPECT_STREQ(addons[57], "Business");  // a group name standing alone
  EXPECT_STREQ(addons[484], "Government >> Military >> Women");
  // Texts are kept exactly, typos included.
  std::set<std::string> all(addons.begin(), addons.end());
  for (const char* typo : {"Business >> Shopping >> Document Preperation",
                           "Computers & Internet >> Internet >> Devices Connected To The Interne",
                           "Computers & Internet >> Software >> Abondonware",
                           "Education >> K-12 >> Organizaions",
                           "Entertainment >> Music >> Music Theropy",
                           "Entertainment >> Movies >> Adult XXX >> Misc."}) {
    EXPECT_TRUE(all.count(typo)) << typo;
  }
  // Group sizes: the first entry of every group after the first stands alone.
  std::size_t starts[] = {57, 57 + 88, 57 + 88 + 123, 57 + 88 + 123 + 48,
                          57 + 88 + 123 + 48 + 113};
  const char* groups[] = {"Business", "Computers & Internet", "Education", "Entertainment",
                          "Government"};
  for (std::size_t i = 0; i < std::size(starts); ++i) EXPECT_STREQ(addons[starts[i]], groups[i]);
}

TEST(PpcList, FillsTheTwentyNineServicesOnceEachTime) {
  PpcList list;
  list.fillFromBuiltIn();
  list.fillFromBuiltIn();  // loading twice must not duplicate the services
  ASSERT_EQ(list.size(), 29u);
  EXPECT_STREQ(list.at(0)->name, "Google");
  EXPECT_EQ(list.at(0)->rank, 10);
  EXPECT_STREQ(list.at(18)->country, "SPlash");
  EXPECT_STREQ(list.at(22)->country, "Austra");
  EXPECT_STREQ(list.at(28)->name, "Searchfeed");
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PpcRecord* r = list.at(i);
    EXPECT_GE(r->rank, 3);
    EXPECT_LE(r->rank, 10);
    EXPECT_EQ(std::string(r->url).rfind("https://", 0), 0u) << r->name;
    EXPECT_FALSE(hostOfUrl(r->url).empty()) << r->name;
  }
}

}  // namespace
}  // namespace larkspur::core
