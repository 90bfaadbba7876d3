// The built-in Engine table as the program builds it: order, counts, the rows
// other parts depend on, and the coherence of every target's data.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/builtin_engines.h"
#include "core/targets_text.h"
#include "core/engine_record.h"
#include "core/engine_table.h"
#include "core/fixed_text.h"

namespace larkspur::core {
namespace {

// Display names of the built-in targets, in data order.
constexpr std::array<const char*, 342> kExpectedNames = {
    "Aardvark", "Aardvarkbusiness", "Abacho CH", "Abacho UK", "About-australia",
    "Abrahamsearch", "Accon DE", "Accon UK", "Accoona", "Action2000", "Actschristian",
    "Add-link", "Addurl", "Admcity", "Aecinfo", "Agriserve", "Ahot", "Aiwagulf", "Aktivsuchen",
    "Alexa", "Alistsites", "Allee", "Allestra", "Allessucher", "Alltheweb", "Aloha-hawaii",
    "Altavista", "Amfibi", "Amidalla", "Amray", "Ananzi", "Annasinkovska", "Anoox", "Anzwers",
    "AsianNet", "At-la", "Atsearch", "Aucti0n", "Ausearchengine", "Auskunft", "Az-forums",
    "Azoos", "Baidu", "Bellnet", "Bestnetcraft", "Bestyellow", "Bhanvad", "Bigclique",
    "Bigfinder", "Biveroo", "Bizoffice", "Blog-directory", "Blogdigger", "Boatrefinishers",
    "Brainfind", "Brama", "Burf", "Businessdigests", "Businessknowhow", "Businessnservices",
    "Busybits", "Buzzle", "Caloga ES", "Caloga FR", "Campubco", "Canadiancontent", "Canlinks",
    "Canuckster", "Cawebsearch", "Cdnbusinessdirectory", "Cipinet", "Claymont", "Clearleadinc",
    "Clevelandsearch", "Clickey", "Clickit", "Cmpcmm", "Coolsite", "Cyber-content",
    "Cyberindian", "Cybersitter", "Dailyorbit", "Datapromo", "Deu", "Dewa", "Dinosearch",
    "Dmoz", "Dxpnet", "Eerstekeuze", "Egyptsearch", "Elib", "Enteruk", "Entireweb",
    "Enviroyellowpages", "Evisum", "Eudip", "Exactseek", "Exalead", "Exalead.FR", "Exify",
    "Exploit", "Exportfocus", "Ezilon", "Fast", "Fastbot", "Favouritelink", "Finder123",
    "Findservices", "Fixsuche", "Freeaddurl", "Freefind", "Furniture-zone", "Fybersearch",
    "Gallerysites", "Gambling-pro", "Gasta", "Gift-websites", "Gigablast", "Globalirish",
    "Globalspec", "Gooru", "Google", "Google AU", "Google BE", "Google CA", "Google CH",
    "Google CN", "Google DE", "Google DK", "Google ES", "Google FR", "Google HK", "Google IE",
    "Google IT", "Google JP", "Google MX", "Google NL", "Google SA", "Google SE", "Google TW",
    "Google UK", "Hollisny", "Homeincome", "Homerweb", "Hosterdirectory", "Hri", "Indiamart",
    "Icerocket", "Icq", "Igec", "Illumirate", "Incomemax", "Indiana", "Infignos",
    "Info-listings", "Infoneu", "Infotiger", "Infousa", "Isearchlink", "Insitor", "Intelseek",
    "InternetCruiser", "IPL", "Irkawebdirectory", "Jayde", "Jblue", "Jdgo", "Jobs-treff",
    "Josh", "Jubii", "Jungle-spider", "Jyxo", "Kazazz", "Khazano", "Khoj", "Khojbeen", "Knowbe",
    "Kobala", "Kompass", "Krstarica", "Lii", "Linkgrinder", "Linkmaster", "Linkscout",
    "Listingsus", "Lockergnome", "Lookclick", "Lycos US", "Macinstein", "Maryland", "Mc-credit",
    "Meet", "Mega-shopping", "Megaglobe", "Miko", "Mirago", "Mirago.FR", "Mixcat", "Mj12search",
    "Mozdex", "MSN", "Mysearch", "Nerdworld", "Netinsert", "Netsprint",
    "Newslettersuchmaschine", "Newwebstuff", "Niceone", "NzArborsearch", "Nzpages", "NZS",
    "Nzsearch", "Officialsearch", "Omniseek", "Onekey", "Onet", "Online-favoriten", "Oozap",
    "Ourdir", "Peachpod", "Phantis", "Pingoat", "Planet-cars", "Pleaseretrieve",
    "Pluto-directory", "Podscope", "Pogodak", "Portalit", "Primefind", "Qango", "R-tt",
    "Rawgrunt", "Rartec", "Rambler", "Reallybigsearch", "Redozone", "Referencements-gratuits",
    "Russia On the Net", "Saydar", "Scrubtheweb", "Search-belgium", "Search-o-rama",
    "Search4more", "SearchCH", "Searchengine", "Searchhippo", "Searchnz", "Searchpower",
    "Searchramp", "Searchsight", "Searchuk", "Searchwarp", "Searchwho", "Searchwiz-Com",
    "Searchwiz-Org", "Searchwords", "Searchza", "Seekzap", "Shoula", "Signpost-me", "Sinotribe",
    "Sitecantal", "Softlook", "Somuch", "Spheri", "Spiderivy", "Spidermonkey", "Srpko", "Splat",
    "Stopat", "Submit-one", "Suchbiene", "Suchmir", "Suchnase", "Suchreport", "Sujada",
    "Surfgopher", "Surfsafely", "Susysearch", "Szukacz", "Tafuta", "Technorati", "Tepierdes",
    "Technorati", "The-search-site", "Thebest-sites", "Thebiz", "Thecomputerconsultant",
    "Theeverywherepages", "Thefoodworld", "Theib", "Thetopsites", "Topsearchnet", "Towersearch",
    "Transilvania", "Tripple", "Truesearch", "Turnpike", "Uktop100", "Ukuk", "Uquick",
    "Unasked", "Vinden", "Vrocht", "W8", "Waar-is", "Walhello", "Webbieworld", "Webc-i",
    "Webmasterfind", "Webodirectory", "Webrover", "Websearches", "Websidesearch", "Websquash",
    "Webtower", "Webworldindex", "Where2go", "Wikidweb", "Witch", "Wo-ist", "Wolong",
    "Worldsiteindex", "Worldyellowpages", "Wotbox", "WWW-tipp", "Xavierseek", "Xomreviews",
    "Yagruma", "YAHOO", "Yoysearch", "Yusearch", "Zeezo", "ZenSearch", "Zepti", "Zoohoo",
    "123india", "2-surf", "360webdirectory", "411find", "4arabs", "50states",
};


bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Host of an absolute http(s) address, or empty when the address is not one.
std::string_view httpHost(std::string_view url) {
  std::string_view rest;
  if (startsWith(url, "http://")) {
    rest = url.substr(7);
  } else if (startsWith(url, "https://")) {
    rest = url.substr(8);
  } else {
    return {};
  }
  return rest.substr(0, rest.find_first_of("/:?#"));
}

bool isPlausibleHost(std::string_view host) {
  if (host.empty() || host.find('.') == std::string_view::npos) return false;
  return std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.';
  });
}

bool isImageAddress(std::string_view hint) {
  if (!isPlausibleHost(httpHost(hint))) return false;
  std::string l = lower(hint);
  for (std::string_view ext : {".gif", ".png", ".jpg", ".jpeg"}) {
    if (l.size() > ext.size() && l.compare(l.size() - ext.size(), ext.size(), ext) == 0) {
      return true;
    }
  }
  return false;
}

// Checks "&field;KEYWORD;..." (the last semicolon may be missing) and returns
// an explanation of the first fault, or empty when the map is well formed.
std::string fieldMapFault(std::string_view map) {
  static const std::set<std::string_view> kKeywords = {
      "TITLE", "URL",         "NAME", "NOTES", "DQ",       "EMAIL",    "KEYWORD",
      "ADDRESS", "DESCRIPT",  "DESCRIPTION", "CITY", "PHONE", "ZIP",   "PASSWORD",
      "COUNTRY", "COMPANY",   "TELPHONE", "NOTE", "USER", "DOMAINSERVER"};
  std::size_t pos = 0;
  while (pos < map.size()) {
    if (map[pos] != '&') return "expected '&' at " + std::to_string(pos);
    std::size_t semi = map.find(';', pos + 1);
    if (semi == std::string_view::npos || semi == pos + 1) return "empty or unterminated field";
    std::size_t end = map.find(';', semi + 1);
    if (end == std::string_view::npos) end = map.size();
    std::string_view keyword = map.substr(semi + 1, end - semi - 1);
    if (!kKeywords.count(keyword)) return "unknown keyword '" + std::string(keyword) + "'";
    pos = end + 1;
  }
  return {};
}

class BuiltinEnginesTest : public ::testing::Test {
 protected:
  void SetUp() override { table.buildFromBuiltIn(); }

  const EngineRecord* find(std::string_view name) const {
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table.at(i)->name == name) return table.at(i);
    }
    return nullptr;
  }

  EngineTable table;
};

TEST_F(BuiltinEnginesTest, DataEndsWithOneEmptyNameRecordAfter342Targets) {
  std::span<const EngineRecord> data = builtinEngines();
  ASSERT_EQ(data.size(), 343u);
  EXPECT_TRUE(data.back().name.empty());
  for (std::size_t i = 0; i + 1 < data.size(); ++i) EXPECT_FALSE(data[i].name.empty()) << i;
}

TEST_F(BuiltinEnginesTest, TableHoldsTheTargetsInDataOrder) {
  ASSERT_EQ(table.size(), 342u);
  for (std::size_t i = 0; i < kExpectedNames.size(); ++i) {
    EXPECT_EQ(table.at(i)->name, kExpectedNames[i]) << "position " << i + 1;
  }
  EXPECT_EQ(table.at(281)->name, "Technorati");  // 1-based 282
  EXPECT_EQ(table.at(283)->name, "Technorati");  // 1-based 284
  std::map<std::string_view, int> seen;
  for (std::size_t i = 0; i < table.size(); ++i) ++seen[table.at(i)->name.view()];
  for (const auto& [name, count] : seen) {
    EXPECT_EQ(count, name == "Technorati" ? 2 : 1) << name;
  }
}

TEST_F(BuiltinEnginesTest, TableRecordsAreCopiesOfTheData) {
  std::span<const EngineRecord> data = builtinEngines();
  ASSERT_EQ(table.size(), 342u);
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_NE(table.at(i), &data[i]);
    EXPECT_TRUE(*table.at(i) == data[i]) << i;
  }
  // Writing a runtime field of the table leaves the built-in data alone.
  table.at(0)->submit_state = "Submit-OK";
  EXPECT_TRUE(data[0].submit_state.empty());
}

TEST_F(BuiltinEnginesTest, SubmitTypeCountsAndRanks) {
  std::map<int32_t, int> types;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const EngineRecord& r = *table.at(i);
    ++types[r.submit_type];
    EXPECT_GE(r.rank, 0) << r.name;
    EXPECT_LE(r.rank, 9) << r.name;
  }
  std::map<int32_t, int> expected = {{0, 167}, {11, 3}, {98, 16}, {99, 156}};
  EXPECT_EQ(types, expected);
}

TEST_F(BuiltinEnginesTest, RuntimeFieldsAreEmptyAndTextsFitTheirFields) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    const EngineRecord& r = *table.at(i);
    EXPECT_EQ(r.notify_window, 0) << r.name;
    for (const TargetTextField& f : targetTextFields()) {
      EXPECT_LT(f.get(r).size(), f.capacity) << r.name << " " << f.name;
    }
    EXPECT_EQ(r.submit_state, "") << r.name;
    EXPECT_EQ(r.message, "") << r.name;
  }
}

// How a telling row's submit hint is checked.
enum class Hint { kExact, kImageAddress, kDirectAddress };

struct TellingRow {
  const char* name;
  const char* country;
  Hint hintKind;
  const char* hint;  // exact text for Hint::kExact
  const char* success;
  const char* already;
  const char* reserved;  // nullptr: not fixed
  const char* fieldMap;
  int32_t rank;
  int32_t type;
};

constexpr TellingRow kTellingRows[] = {
    {"Aardvark", "South Africa", Hint::kExact, "", "", "", nullptr, "", 6, 99},
    {"Abacho CH", "Switzerland", Hint::kImageAddress, nullptr, "", "", "", "", 4, 11},
    {"Accon DE", "Germany", Hint::kDirectAddress, nullptr, "", "angemeldet", "", "", 4, 99},
    {"Addurl", "USA", Hint::kExact, "Submit URL", "", "", "", "", 6, 98},
    {"Agriserve", "USA", Hint::kExact, "", "", "", "",
     "&business;TITLE;&street;ADDRESS;&town;CITY;&state;COUNTRY;&website;URL;&details;NOTES;", 3,
     0},
    {"Ahot", "Denmark", Hint::kExact, "", "Tak", "allerede", "", "", 5, 99},
    {"Aloha-hawaii", "USA", Hint::kImageAddress, nullptr, "",
     "This url is already in our database.", "", "", 5, 11},
    {"Alexa", "USA", Hint::kExact, "Crawl My Site", "", "", "", "", 7, 0},
    {"Atsearch", "Austria", Hint::kExact, "", "angegeben", "", nullptr, "&qs;URL;", 3, 99},
    {"Az-forums", "USA", Hint::kExact, "", "", "", nullptr,
     "&forum;TITLE;&link1;URL;&title;DQ;&chei;KEYWORD;", 2, 99},
    {"Bellnet", "Germany", Hint::kExact, "Bei bellnet anmelden", "Die Seite", "", nullptr, "", 5,
     98},
    {"Intelseek", "USA", Hint::kExact, "", "Congratulations", "Thank-you", nullptr, "", 4, 99},
    {"Josh", "USA", Hint::kExact, " Submit Site ", "", "", nullptr,
     "&PW;PASSWORD;&PW2;PASSWORD;&Hint;TITLE;&SiteName;TITLE;", 4, 98},
    {"Knowbe", "United Kingdom", Hint::kExact, "", "Thank you", "already", nullptr, "", 1, 99},
    {"Lii", "USA", Hint::kExact, "", "", "", nullptr, "&identifier;URL;&name;TITLE;", 8, 0},
    {"Searchuk", "United Kingdom", Hint::kExact, "", "been submitted", "been submitted", nullptr,
     "", 2, 99},
    {"Thebest-sites", "USA", Hint::kExact, "", "", "", nullptr,
     "&trefwoorden;KEYWORD;&uitleg;DESCRIPTION;&telefoonnr;PHONE;&land;COUNTRY;&plaats;CITY;"
     "&postcode;ZIP;&adres;ADDRESS;&bedrijf;TITLE;",
     3, 99},
    {"Walhello", "USA", Hint::kExact, "Suggest a URL", "Thank You", "", nullptr, "", 3, 98},
};

TEST_F(BuiltinEnginesTest, TellingRowsHoldTheirFixedValues) {
  for (const TellingRow& row : kTellingRows) {
    SCOPED_TRACE(row.name);
    const EngineRecord* r = find(row.name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->country, row.country);
    switch (row.hintKind) {
      case Hint::kExact:
        EXPECT_EQ(r->submit_hint, row.hint);
        break;
      case Hint::kImageAddress:
        EXPECT_TRUE(isImageAddress(r->submit_hint.view())) << r->submit_hint;
        break;
      case Hint::kDirectAddress:
        EXPECT_TRUE(isPlausibleHost(httpHost(r->submit_hint.view()))) << r->submit_hint;
        EXPECT_NE(r->submit_hint.view().find("%URL%"), std::string_view::npos);
        break;
    }
    EXPECT_EQ(r->success_keyword, row.success);
    EXPECT_EQ(r->already_keyword, row.already);
    if (row.reserved) {
      EXPECT_EQ(r->reserved, row.reserved);
    }
    EXPECT_EQ(r->field_map, row.fieldMap);
    EXPECT_EQ(r->rank, row.rank);
    EXPECT_EQ(r->submit_type, row.type);
  }
  // Aardvark carries a reserved text and no other optional text.
  const EngineRecord* aardvark = find("Aardvark");
  ASSERT_NE(aardvark, nullptr);
  EXPECT_NE(aardvark->reserved, "");
}

TEST_F(BuiltinEnginesTest, EveryTargetIsCoherent) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    const EngineRecord& r = *table.at(i);
    SCOPED_TRACE(r.name);
    EXPECT_NE(r.country, "");
    std::string_view url = r.submit_url.view();
    EXPECT_TRUE(isPlausibleHost(httpHost(url))) << url;
    std::string_view hint = r.submit_hint.view();
    switch (r.submit_type) {
      case kSubmitManual:
      case kSubmitFirstButton:
        break;
      case kSubmitImage:
        EXPECT_TRUE(isImageAddress(hint)) << hint;
        break;
      case kSubmitCaption:
        EXPECT_FALSE(hint.empty());
        EXPECT_TRUE(httpHost(hint).empty()) << "a caption, not an address: " << hint;
        break;
      default:
        ADD_FAILURE() << "unexpected submit type " << r.submit_type;
    }
    if (hint.find("%URL%") != std::string_view::npos) {
      EXPECT_TRUE(isPlausibleHost(httpHost(hint))) << hint;
    }
    EXPECT_EQ(fieldMapFault(r.field_map.view()), "") << r.field_map;
  }
}

TEST(BuiltinFieldMapCheck, RecognisesWellAndBadlyFormedMaps) {
  for (const char* good : {"", "&a_text;DESCRIPTION;&a_xtra;KEYWORD;", "&a_text;DESCRIPTION;&a_xtra;KEYWORD"}) {
    EXPECT_EQ(fieldMapFault(good), "") << good;
  }
  for (const char* bad : {"a_text;DESCRIPTION;", "&a_text;DESCRIPTIONS;", "&;URL;", "&url"}) {
    EXPECT_NE(fieldMapFault(bad), "") << bad;
  }
}

EngineRecord named(const char* name) {
  EngineRecord r;
  r.name = name;
  return r;
}

TEST(BuiltinEngineTableTest, BuildStopsAtTheFirstEmptyName) {
  const EngineRecord records[] = {named("One"), named("Two"), named(""), named("Four")};
  EngineTable table;
  table.build(records);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at(0)->name, "One");
  EXPECT_EQ(table.at(1)->name, "Two");

  // Building again appends behind what is there.
  table.build(std::span<const EngineRecord>(records).subspan(3));
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.at(2)->name, "Four");
}

TEST(BuiltinEngineTableTest, ClearEmptiesTheTableAndItCanBeRebuilt) {
  EngineTable table;
  table.buildFromBuiltIn();
  ASSERT_FALSE(table.empty());
  table.clear();
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.size(), 0u);
  table.buildFromBuiltIn();
  EXPECT_EQ(table.size(), 342u);
}

TEST(BuiltinEngineTableTest, RecordAddressesStayStableAsTheTableGrows) {
  EngineTable table;
  table.buildFromBuiltIn();
  std::vector<EngineRecord*> before;
  for (std::size_t i = 0; i < table.size(); ++i) before.push_back(table.at(i));
  before[5]->message = "in progress";

  EngineRecord* appended = table.append(named("Extra"));
  for (int i = 0; i < 2000; ++i) table.append(named("More"));
  table.buildFromBuiltIn();

  ASSERT_EQ(table.size(), 342u + 1u + 2000u + 342u);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(table.at(i), before[i]) << i;
  EXPECT_EQ(table.at(342), appended);
  EXPECT_EQ(before[5]->message, "in progress");
  EXPECT_EQ(table.indexOf(before[5]), 5);
  EXPECT_EQ(table.indexOf(appended), 342);
  const EngineRecord outside = named("Outside");
  EXPECT_EQ(table.indexOf(&outside), -1);
}

}  // namespace
}  // namespace larkspur::core
