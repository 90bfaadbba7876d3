#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/builtin_engines.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "core/project_file.h"
#include "core/property_table.h"
#include "core/rc4.h"
#include "tests/support/temp_dir.h"

namespace larkspur::core {
namespace {

using larkspur::test::TempDir;

// Writes the byte format by hand, independently of the Property table code,
// so the project file's layout is checked against the format itself.
class ByteWriter {
 public:
  void u8(uint8_t v) { bytes.push_back(v); }
  void i32(int32_t v) {
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b)));
  }
  void raw(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
  void text(const std::string& name, const std::string& value) { entry(2, name, value); }
  void integer(const std::string& name, int32_t value) {
    ByteWriter v;
    v.i32(value);
    entry(1, name, std::string(v.bytes.begin(), v.bytes.end()));
  }
  void entry(uint8_t type, const std::string& name, const std::string& data) {
    u8(type);
    u8(0);
    i32(static_cast<int32_t>(name.size()));
    i32(static_cast<int32_t>(data.size()));
    raw(name);
    raw(data);
  }
  std::string str() const { return std::string(bytes.begin(), bytes.end()); }
  std::vector<uint8_t> bytes;
};

std::string table(int32_t rows, int32_t cols, const std::string& cells) {
  ByteWriter w;
  w.i32(rows);
  w.i32(cols);
  w.i32(static_cast<int32_t>(cells.size()));
  w.raw(cells);
  return w.str();
}

std::string document(int32_t count, const std::string& entries) {
  ByteWriter w;
  w.i32(1);
  w.i32(count);
  w.i32(static_cast<int32_t>(entries.size()));
  w.raw(entries);
  return w.str();
}

EngineRecord engine(const char* name, int32_t rank) {
  EngineRecord r{};
  r.name = name;
  r.rank = rank;
  r.submit_type = 99;
  return r;
}

TEST(ProjectFile, BytesFollowTheFileFormatExactly) {
  WebsiteProfile profile;
  copyText(profile.url, "http://www.example.com/");
  copyText(profile.email, "me@example.com");
  copyText(profile.password, "pw");
  EngineTable engines;
  EngineRecord r = engine("Alpha", 4);
  r.submit_state = "Submit-OK";
  r.message = "Already Submited!";
  r.submit_hint = "not stored";
  r.health = "parked";
  r.health_reason = "name servers at sedoparking.com";
  r.health_checked = "2026-12-10T08:00:00Z";
  engines.append(r);
  engines.append(engine("Beta", 2));  // never checked: no row
  LinkList links;
  LinkRecord link{};
  link.url = "http://a.example/";
  link.link_text = "A";
  link.note = "asked for a link back";
  link.ip = "10.1.2.3";
  link.page_rank = -1;
  link.add_time = 1700000000;
  link.hits = 7;
  links.append(link);

  auto buffer = buildProjectBuffer(profile, engines, links);
  ASSERT_TRUE(buffer);
  rc4Storage(*buffer);

  ByteWriter engineCells;
  engineCells.text("szname", "Alpha");
  engineCells.text("szstate", "Submit-OK");
  engineCells.text("szerrormsg", "Already Submited!");
  engineCells.integer("rank", 4);
  ByteWriter linkCells;
  linkCells.text("m_szlink", "http://a.example/");
  linkCells.text("m_szlinktext", "A");
  linkCells.text("m_szdescript", "");
  linkCells.integer("m_pagerank", -1);
  linkCells.integer("m_pagetraffic", 0);
  linkCells.integer("m_addtime", 1700000000);
  linkCells.text("m_status", "");
  linkCells.text("m_contactname", "");
  linkCells.text("m_email", "");
  linkCells.text("m_ip", "10.1.2.3");
  linkCells.integer("m_hits", 7);

  ByteWriter e;
  engineCells.text("szname", "Beta");
  engineCells.text("szstate", "");
  engineCells.text("szerrormsg", "");
  engineCells.integer("rank", 2);
  e.entry(5, "m_searchengine", table(2, 4, engineCells.str()));
  e.integer("m_searchengine_count", 2);
  e.text("m_email", "me@example.com");
  for (const char* key : {"m_firstname", "m_lastname", "m_longdescript", "m_shortdescript"}) e.text(key, "");
  e.text("m_szurl", "http://www.example.com/");
  for (const char* key : {"m_keyword", "m_title", "m_telephone"}) e.text(key, "");
  e.text("m_password", "pw");
  for (const char* key : {"m_user", "m_address", "m_city", "m_zip", "m_category", "m_country",
                          "m_category_addon1"}) {
    e.text(key, "");
  }
  e.entry(5, "linkme", table(1, 11, linkCells.str()));
  e.integer("m_link_count_me", 1);

  // The notes and the checks' verdicts come last; without any, the file is
  // exactly what it always was.
  ByteWriter noteCells;
  noteCells.integer("row", 0);
  noteCells.text("note", "asked for a link back");
  ByteWriter healthCells;
  healthCells.text("name", "Alpha");
  healthCells.text("verdict", "parked");
  healthCells.text("reason", "name servers at sedoparking.com");
  healthCells.text("checked", "2026-12-10T08:00:00Z");
  ByteWriter withNotes;
  withNotes.raw(e.str());
  withNotes.entry(5, "linkme_notes", table(1, 2, noteCells.str()));
  withNotes.entry(5, "m_searchengine_health", table(1, 4, healthCells.str()));
  EXPECT_EQ(std::string(buffer->begin(), buffer->end()), document(23, withNotes.str()));

  links.at(0)->note = "";
  engines.at(0)->health = "";
  auto withoutNotes = buildProjectBuffer(profile, engines, links);
  ASSERT_TRUE(withoutNotes);
  rc4Storage(*withoutNotes);
  EXPECT_EQ(std::string(withoutNotes->begin(), withoutNotes->end()), document(21, e.str()));
}

class ProjectFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path file = dir.file("site.lkr");
};

TEST_F(ProjectFileTest, SaveAndOpenRestoreStatesLinksAndProfile) {
  Project saved;
  saved.newProject();
  copyText(saved.profile.url, "https://www.example.org:8443/shop/");
  copyText(saved.profile.long_description, std::string(4095, 'L'));
  saved.profileChanged();
  ASSERT_EQ(saved.engines.size(), 342u);
  for (std::size_t i = 0; i < saved.engines.size(); ++i) {
    EngineRecord* r = saved.engines.at(i);
    r->submit_state = i % 2 ? "Submit-OK" : "Submit-Error";
    r->message = "message " + std::to_string(i);
    r->rank = static_cast<int32_t>(i % 10);
    if (i % 3 == 0) {
      r->health = i % 2 ? "gone" : "live";
      r->health_reason = "reason " + std::to_string(i);
      r->health_checked = "2026-12-10T08:00:00Z";
    }
  }
  for (int i = 0; i < 3; ++i) {
    LinkRecord link{};
    link.url = "http://links.example/" + std::to_string(i);
    link.email = "a@b.example";
    link.page_rank = i - 1;
    if (i != 1) link.note.assign("note " + std::to_string(i));
    if (i == 2) {
      link.details.anchor = "Fresh bread";
      link.details.rel = "nofollow ugc";
      link.details.httpStatus = 200;
      link.details.linkFound = Known::kNo;
      link.details.lostSince = "2026-12-10T08:00:00Z";
      link.details.finalUrl = std::string(600, 'u');  // kept to 512 bytes
    }
    saved.links.append(link);
  }
  ASSERT_TRUE(saved.save(file).ok());
  EXPECT_FALSE(saved.modified());

  Project loaded;
  Status s = loaded.open(file);
  ASSERT_TRUE(s.ok()) << s.message;
  EXPECT_EQ(loaded.path(), file);
  EXPECT_STREQ(loaded.profile.url, "https://www.example.org:8443/shop/");
  EXPECT_STREQ(loaded.profile.host, "www.example.org");
  EXPECT_EQ(std::string(loaded.profile.long_description), std::string(4095, 'L'));
  ASSERT_EQ(loaded.engines.size(), 342u);
  long technorati = 0;
  for (std::size_t i = 0; i < loaded.engines.size(); ++i) {
    const EngineRecord* r = loaded.engines.at(i);
    if (r->name == "Technorati") {
      // Both records carry the state of the later of the two saved rows (283, 0-based).
      ++technorati;
      EXPECT_EQ(r->submit_state, "Submit-OK");
      EXPECT_EQ(r->message, "message 283");
      EXPECT_EQ(r->rank, 3);
      continue;
    }
    EXPECT_EQ(r->submit_state, i % 2 ? "Submit-OK" : "Submit-Error") << i;
    EXPECT_EQ(std::string(r->message), "message " + std::to_string(i));
    EXPECT_EQ(r->rank, static_cast<int32_t>(i % 10));
    EXPECT_EQ(r->health, i % 3 ? "" : i % 2 ? "gone" : "live") << i;
    EXPECT_EQ(r->health_reason, i % 3 ? "" : "reason " + std::to_string(i));
    // What is not stored comes from the built-in table.
    EXPECT_EQ(r->submit_url, builtinEngines()[i].submit_url);
  }
  EXPECT_EQ(technorati, 2);
  ASSERT_EQ(loaded.links.size(), 3u);
  EXPECT_EQ(loaded.links.at(2)->url, "http://links.example/2");
  EXPECT_EQ(loaded.links.at(0)->page_rank, -1);
  EXPECT_EQ(loaded.links.at(0)->note, "note 0");
  EXPECT_EQ(loaded.links.at(1)->note, "");
  EXPECT_EQ(loaded.links.at(2)->note, "note 2");
  EXPECT_TRUE(loaded.links.at(0)->details.empty());
  const LinkDetails& details = loaded.links.at(2)->details;
  EXPECT_EQ(details.anchor, "Fresh bread");
  EXPECT_EQ(details.rel, "nofollow ugc");
  EXPECT_EQ(details.httpStatus, 200);
  EXPECT_EQ(details.linkFound, Known::kNo);
  EXPECT_EQ(details.indexable, Known::kUnknown);
  EXPECT_EQ(details.lostSince, "2026-12-10T08:00:00Z");
  EXPECT_EQ(details.finalUrl, std::string(512, 'u'));
  EXPECT_EQ(loaded.ppc.size(), 29u);
}

// Saves a hand-made Property table as a project file.
void writeProject(const std::filesystem::path& path, const PropertyTable& table) {
  auto bytes = table.serialise();
  ASSERT_TRUE(bytes);
  rc4Storage(*bytes);
  larkspur::test::writeFile(path, std::string(bytes->begin(), bytes->end()));
}

TEST_F(ProjectFileTest, MergesByNameAndKeepsBuiltInValuesForMissingTargets) {
  PropertyTable t;
  auto rows = std::make_unique<PropTable>(3, 4);
  const char* names[] = {"Ahot", "No such target", "Ahot"};
  const char* states[] = {"Submit-Error", "Submit-OK", "Submit-OK"};
  for (int i = 0; i < 3; ++i) {
    rows->setText(i, 0, names[i], "szname");
    rows->setText(i, 1, states[i], "szstate");
    rows->setText(i, 2, "m", "szerrormsg");
    rows->setInteger(i, 3, 9, "rank");
  }
  t.addTable("m_searchengine", std::move(rows));
  t.addInteger("m_searchengine_count", 3);
  t.addText("m_szurl", "http://example.net/");
  writeProject(file, t);

  Project p;
  copyText(p.profile.title, "kept");  // absent keys leave the profile as it was
  ASSERT_TRUE(p.open(file).ok());
  EXPECT_STREQ(p.profile.title, "kept");
  EXPECT_STREQ(p.profile.host, "example.net");
  for (std::size_t i = 0; i < p.engines.size(); ++i) {
    const EngineRecord* r = p.engines.at(i);
    if (r->name == "Ahot") {
      EXPECT_EQ(r->submit_state, "Submit-OK");  // the later row wins
      EXPECT_EQ(r->rank, 9);
    } else {
      EXPECT_EQ(r->submit_state, "");
      EXPECT_EQ(r->rank, builtinEngines()[i].rank);
    }
  }
  EXPECT_EQ(p.links.size(), 0u);  // no linkme at all
}

TEST_F(ProjectFileTest, LinkCountBeyondTheRowsAddsZeroedLinksWithinALimit) {
  // A count must be one the file's bytes could hold (10 bytes a row), so the
  // count past the limit comes with a large enough file.
  const struct {
    int32_t count;
    std::size_t padding;
    std::size_t links;
  } cases[] = {{5, 0, 5}, {kMaxMissingLinkRows + 50, 200000, 1 + kMaxMissingLinkRows}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    PropertyTable t;
    auto rows = std::make_unique<PropTable>(1, 11);
    rows->setText(0, 0, "http://one.example/", "m_szlink");
    rows->setInteger(0, 3, 5, "m_pagerank");
    for (int c = 4; c < 11; ++c) rows->setInteger(0, c, 1, "unused");
    rows->setText(0, 1, "", "m_szlinktext");
    rows->setText(0, 2, "", "m_szdescript");
    t.addTable("linkme", std::move(rows));
    t.addInteger("m_link_count_me", c.count);
    std::string padding(c.padding, 'p');
    t.addBinary("padding", padding.data(), padding.size());
    writeProject(file, t);

    Project p;
    ASSERT_TRUE(p.open(file).ok());
    ASSERT_EQ(p.links.size(), c.links);
    EXPECT_EQ(p.links.at(0)->url, "http://one.example/");
    EXPECT_EQ(p.links.at(0)->page_rank, 5);
    EXPECT_EQ(p.links.at(1)->url, "");
    EXPECT_EQ(p.links.at(1)->page_rank, 0);
  }
}

TEST_F(ProjectFileTest, BinaryCellsCannotLeaveATextFieldUnterminated) {
  PropertyTable t;
  std::string big(600, 'x');
  auto rows = std::make_unique<PropTable>(1, 1);
  rows->setRaw(0, 0, kPropBinary, 0, "m_szlink", std::vector<uint8_t>(big.begin(), big.end()));
  t.addTable("linkme", std::move(rows));
  t.addInteger("m_link_count_me", 1);
  t.addBinary("m_title", big.data(), big.size());
  writeProject(file, t);
  Project p;
  ASSERT_TRUE(p.open(file).ok());
  EXPECT_EQ(std::string(p.profile.title).size(), 259u);
  EXPECT_EQ(std::string(p.links.at(0)->url).size(), 512u);
}

TEST_F(ProjectFileTest, UnparsableContentGivesDataErrorAndEmptyTables) {
  const std::string cases[] = {"", "this is not a project file", std::string(12, '\0')};
  for (const std::string& content : cases) {
    larkspur::test::writeFile(file, content);
    Project p;
    p.newProject();
    copyText(p.profile.url, "http://before.example/");
    p.links.append(LinkRecord{});
    Status s = p.open(file);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.message, "Data error!");
    EXPECT_EQ(p.engines.size(), 0u);
    EXPECT_EQ(p.links.size(), 0u);
    EXPECT_STREQ(p.profile.url, "http://before.example/");
  }
}

TEST_F(ProjectFileTest, OpenOfAMissingFileChangesNothing) {
  Project p;
  p.newProject();
  Status s = p.open(dir.file("missing.lkr"));
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message.find("missing.lkr"), std::string::npos);
  EXPECT_EQ(p.engines.size(), 342u);
}

TEST_F(ProjectFileTest, SaveReplacesAtomicallyAndAFailedSaveKeepsTheOldFile) {
  Project p;
  p.newProject();
  copyText(p.profile.url, "http://first.example/");
  ASSERT_TRUE(p.save(file).ok());
  std::string first = larkspur::test::readFile(file);

  copyText(p.profile.url, "http://second.example/");
  ASSERT_TRUE(p.save(file).ok());
  EXPECT_NE(larkspur::test::readFile(file), first);
  // No temporary file is left behind.
  std::size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);

  // A folder stands where the file should go: the save fails and says why.
  std::filesystem::create_directory(dir.file("folder.lkr"));
  larkspur::test::writeFile(dir.file("folder.lkr") / "keep", "x");
  Status s = p.save(dir.file("folder.lkr"));
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message.find("folder.lkr"), std::string::npos);
  EXPECT_EQ(larkspur::test::readFile(dir.file("folder.lkr") / "keep"), "x");
  EXPECT_EQ(p.path(), file);  // still the project's file

  // A missing folder: nothing is written.
  EXPECT_FALSE(p.save(dir.file("no/such/folder.lkr")).ok());
}

TEST_F(ProjectFileTest, ANewFileIsTheUsersAloneAndAFileSavedOverKeepsItsMode) {
  struct Case {
    bool exists;
    mode_t before;  // the existing file's bits
    mode_t after;
  };
  const Case cases[] = {{false, 0, 0600}, {true, 0640, 0640}, {true, 0604, 0604}, {true, 0600, 0600}};
  // The umask must not decide the bits.
  struct UmaskZero {
    mode_t old = ::umask(0);
    ~UmaskZero() { ::umask(old); }
  } umaskZero;
  Project p;
  p.newProject();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.before);
    std::filesystem::remove(file);
    if (c.exists) {
      larkspur::test::writeFile(file, "old");
      ASSERT_EQ(::chmod(file.c_str(), c.before), 0);
    }
    ASSERT_TRUE(p.save(file).ok());
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.after);
  }
}

TEST_F(ProjectFileTest, LoadTakesTheBytesReadAndNotTheFileAsItIsNow) {
  Project saved;
  saved.newProject();
  copyText(saved.profile.url, "http://read.example/");
  ASSERT_TRUE(saved.save(file).ok());

  std::vector<uint8_t> bytes;
  ASSERT_TRUE(readProjectFile(file, bytes).ok());
  // The file is replaced with something that does not parse after the read.
  larkspur::test::writeFile(file, "this is not a project file");

  Project p;
  ASSERT_TRUE(p.load(file, bytes).ok());
  EXPECT_STREQ(p.profile.url, "http://read.example/");
  EXPECT_EQ(p.engines.size(), 342u);
  EXPECT_EQ(p.path(), file);

  std::vector<uint8_t> missing;
  EXPECT_FALSE(readProjectFile(dir.file("missing.lkr"), missing).ok());
}

TEST_F(ProjectFileTest, LoadingTwiceKeepsEachPpcServiceOnce) {
  Project p;
  p.newProject();
  ASSERT_TRUE(p.save(file).ok());
  ASSERT_TRUE(p.open(file).ok());
  ASSERT_TRUE(p.open(file).ok());
  EXPECT_EQ(p.ppc.size(), 29u);
  EXPECT_EQ(p.engines.size(), 342u);
}

}  // namespace
}  // namespace larkspur::core

namespace larkspur::core {
namespace {

TEST_F(ProjectFileTest, OpenAndNewRebuildTheWordLists) {
  Project p;
  p.newProject();
  EXPECT_TRUE(p.words.keyword.empty());
  copyText(p.profile.keyword, "roses, tulips");
  copyText(p.profile.category, "Business");
  p.profileChanged();
  EXPECT_EQ(p.words.keyword, (std::vector<std::string>{"roses", "tulips"}));
  ASSERT_TRUE(p.save(file).ok());

  Project other;
  ASSERT_TRUE(other.open(file).ok());
  EXPECT_EQ(other.words.keyword, p.words.keyword);
  EXPECT_EQ(other.words.category, p.words.category);
  other.newProject();
  EXPECT_TRUE(other.words.keyword.empty());
  EXPECT_TRUE(other.words.category.empty());
}

}  // namespace
}  // namespace larkspur::core

namespace larkspur::core {
namespace {

TEST_F(ProjectFileTest, NotesGoOnlyToTheLinksTheyName) {
  PropertyTable t;
  auto links = std::make_unique<PropTable>(2, 1);
  links->setText(0, 0, "http://one.example/", "m_szlink");
  links->setText(1, 0, "http://two.example/", "m_szlink");
  t.addTable("linkme", std::move(links));
  t.addInteger("m_link_count_me", 2);
  auto notes = std::make_unique<PropTable>(5, 2);
  const std::string longNote(600, 'n');
  notes->setInteger(0, 0, 1, "row");
  notes->setText(0, 1, longNote, "note");
  notes->setInteger(1, 0, 2, "row");  // no such link
  notes->setText(1, 1, "dropped", "note");
  notes->setInteger(2, 0, -1, "row");
  notes->setText(2, 1, "dropped", "note");
  notes->setText(3, 0, "0", "row");  // not a row number
  notes->setText(3, 1, "dropped", "note");
  notes->setInteger(4, 0, 0, "row");
  notes->setInteger(4, 1, 7, "note");  // not a text: the field stays terminated
  t.addTable("linkme_notes", std::move(notes));
  writeProject(file, t);

  Project p;
  ASSERT_TRUE(p.open(file).ok());
  ASSERT_EQ(p.links.size(), 2u);
  EXPECT_EQ(std::string(p.links.at(1)->note), longNote.substr(0, 512));
  EXPECT_LT(p.links.at(0)->note.size(), decltype(p.links.at(0)->note)::kCapacity);
  EXPECT_EQ(std::string(p.links.at(0)->note).find("dropped"), std::string::npos);
}

TEST_F(ProjectFileTest, LinkCellsAreFoundByNameWhereverTheyStand) {
  PropertyTable t;
  auto first = std::make_unique<PropTable>(1, 3);
  first->setText(0, 0, "http://first.example/", "m_szlink");
  first->setText(0, 1, "http://second-of-the-same-name.example/", "m_szlink");
  first->setInteger(0, 2, 4, "m_pagerank");
  t.addTable("linkme", std::move(first));
  auto later = std::make_unique<PropTable>(1, 2);
  later->setText(0, 0, "ignored: the first table has it", "m_szlink");
  later->setText(0, 1, "me@later.example", "m_email");
  t.addTable("linkme", std::move(later));
  t.addInteger("m_link_count_me", 1);
  writeProject(file, t);

  Project p;
  ASSERT_TRUE(p.open(file).ok());
  ASSERT_EQ(p.links.size(), 1u);
  EXPECT_EQ(p.links.at(0)->url, "http://first.example/");
  EXPECT_EQ(p.links.at(0)->page_rank, 4);
  EXPECT_EQ(p.links.at(0)->email, "me@later.example");
  EXPECT_EQ(p.links.at(0)->ip, "");
}

}  // namespace
}  // namespace larkspur::core

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

namespace larkspur::core {
namespace {

constexpr int32_t kMax32 = 2147483647;

// A plain (deciphered) project buffer and ways to edit it in place.
struct PlainProject {
  std::vector<uint8_t> bytes;

  // Offset of the data of the first top-level-or-nested record with this name.
  std::size_t dataOf(const std::string& name) const {
    std::string text(bytes.begin(), bytes.end());
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
      if (at >= 10 && readI32(at - 8) == static_cast<int32_t>(name.size())) return at + name.size();
    }
    ADD_FAILURE() << name << " not found";
    return 0;
  }
  int32_t readI32(std::size_t at) const {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= uint32_t{bytes[at + b]} << (8 * b);
    return static_cast<int32_t>(v);
  }
  void setI32(std::size_t at, int32_t value) {
    for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
  }
  // Appends a top-level entry, keeping the header's count and length right.
  void appendEntry(const std::string& entry) {
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    setI32(4, readI32(4) + 1);
    setI32(8, static_cast<int32_t>(bytes.size() - 12));
  }
};

std::string tableEntry(const std::string& name, const std::string& tableBytes) {
  ByteWriter w;
  w.entry(5, name, tableBytes);
  return w.str();
}

// Loads the enciphered buffer in a child process whose address space is
// limited, so that a load that tries to allocate gigabytes fails there.
// Returns 0 for "Data error!", 1 for a successful load, 2 for another
// message, 3 when the load threw, and 4 + the signal when the child was killed.
int loadInLimitedChild(const std::vector<uint8_t>& buffer) {
  pid_t child = ::fork();
  if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)  // the sanitiser's shadow memory needs a huge address space
    rlimit limit{512u << 20, 512u << 20};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
    try {
      Project p;
      Status s = p.load("crafted.lkr", buffer);
      ::_exit(s.ok() ? 1 : s.message == kDataErrorMessage ? 0 : 2);
    } catch (...) {
      ::_exit(3);  // never back into the test runner
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 4 + WTERMSIG(status);
}

TEST_F(ProjectFileTest, CountsBeyondWhatTheBytesHoldGiveDataErrorAtOnce) {
  Project saved;
  saved.newProject();
  copyText(saved.profile.url, "http://crafted.example/");
  for (int i = 0; i < 3; ++i) {
    LinkRecord link{};
    link.url = "http://link.example/" + std::to_string(i);
    saved.links.append(link);
  }
  auto valid = buildProjectBuffer(saved.profile, saved.engines, saved.links);
  ASSERT_TRUE(valid);
  PlainProject plain{*valid};
  rc4Storage(plain.bytes);

  using Edit = std::function<void(PlainProject&)>;
  auto tableShape = [](const char* name, int32_t rows, int32_t columns) {
    return Edit([=](PlainProject& p) {
      std::size_t at = p.dataOf(name);
      p.setI32(at, rows);
      p.setI32(at + 4, columns);
    });
  };
  auto integer = [](const char* name, int32_t value) {
    return Edit([=](PlainProject& p) { p.setI32(p.dataOf(name), value); });
  };
  // Link rows with a saved count that agrees.
  auto links = [&](int32_t rows, int32_t columns) {
    return Edit([=](PlainProject& p) {
      tableShape("linkme", rows, columns)(p);
      integer("m_link_count_me", rows)(p);
    });
  };
  const struct {
    const char* what;
    Edit edit;
    int expected;
  } cases[] = {
      {"the project as saved", [](PlainProject&) {}, 1},
      {"link rows 1,000,000 without cells", links(1000000, 0), 0},
      {"link rows 10,000,000 without cells", links(10000000, 0), 0},
      {"link rows INT32_MAX", links(kMax32, 11), 0},
      {"link rows without cells within the bytes", links(3, 0), 0},
      {"link columns INT32_MAX without rows", tableShape("linkme", 0, kMax32), 0},
      {"target rows INT32_MAX without cells", tableShape("m_searchengine", kMax32, 0), 0},
      {"target columns INT32_MAX", tableShape("m_searchengine", 1, kMax32), 0},
      {"text length INT32_MAX",
       [](PlainProject& p) { p.setI32(p.dataOf("m_szurl") - 7 - 4, kMax32); }, 0},
      {"link count 1,000,000 beyond the rows", integer("m_link_count_me", 1000000), 0},
      {"link count INT32_MAX", integer("m_link_count_me", kMax32), 0},
      {"target count INT32_MAX", integer("m_searchengine_count", kMax32), 0},
      {"nested table of INT32_MAX rows",
       [](PlainProject& p) {
         p.appendEntry(tableEntry("nest", table(1, 1, tableEntry("inner", table(kMax32, 0, "")))));
       },
       0},
      {"nested table of INT32_MAX columns, three deep",
       [](PlainProject& p) {
         std::string inner = table(1, 1, tableEntry("c", table(0, kMax32, "")));
         p.appendEntry(tableEntry("linkme", table(1, 1, tableEntry("n", inner))));
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlainProject crafted = plain;
    c.edit(crafted);
    rc4Storage(crafted.bytes);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(loadInLimitedChild(crafted.bytes), c.expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

}  // namespace
}  // namespace larkspur::core
