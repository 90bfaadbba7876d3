#include "links/backlink_import.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "links/delimited_text.h"
#include "tests/support/temp_dir.h"

namespace larkspur::links {
namespace {

using test::TempDir;
using test::writeFile;
using Path = std::filesystem::path;
using Entries = std::vector<std::pair<std::string, std::string>>;
using namespace std::string_literals;

std::string utf16(std::u16string_view text, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    out += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

void writeZip(const Path& path, const Entries& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(archive, nullptr) << code;
  for (const auto& [name, bytes] : entries) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE), 0) << zip_strerror(archive);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

// Each link as "URL|anchor|rel|first seen|last seen", "|site" for a site.
std::vector<std::string> described(const core::LinkList& links) {
  std::vector<std::string> out;
  for (const auto& r : links.snapshot()) {
    const core::LinkDetails& d = r->details;
    out.push_back(r->url.str() + "|" + d.anchor + "|" + d.rel + "|" + d.firstSeen + "|" + d.lastSeen +
                  (d.site ? "|site" : ""));
  }
  return out;
}

// What the import said: its failure, the text import's count, or the summary.
std::string said(const BacklinkImport& imported) {
  if (!imported.status.ok()) return imported.status.message;
  if (imported.plainText) return "plain text: " + std::to_string(imported.plain.added) + " added";
  return importSummary(imported);
}

const std::string kScLatest = "Linking page,Last crawled\r\n";
const std::string kToolHeader = "Source url,Target url,Anchor,Nofollow,First seen,Last seen\n";
const std::vector<std::string> kBefore{"https://a.example/x||||", "https://old.example/|kept|||"};

TEST(BacklinkImport, EachKindOfFileGivesItsLinksAndSummary) {
  struct Case {
    const char* name;
    std::function<void(const Path&)> write;
    std::vector<std::string> added;  // after the links there before
    std::string said;
    std::vector<std::string> before = kBefore;  // the links there before, after the import
  };
  auto text = [](std::string bytes) { return [bytes](const Path& p) { writeFile(p, bytes); }; };
  const std::string bomb(51 << 20, 'a');
  const Case cases[] = {
      {"search console latest links, merged with the list",
       text(kScLatest + "https://b.example/1,2024-05-01\r\n https://a.example/x ,2024-04-01\r\n"
                        "ftp://c.example/,2024-01-01\r\nhttps://old.example/,2024-03-03\r\n"),
       {"https://b.example/1||||2024-05-01"},
       "Read 4 rows: 1 added, 2 already in the list, 1 left out (1 not an http(s) page). 2 links already in the "
       "list got their missing details from the file.",
       {"https://a.example/x||||2024-04-01", "https://old.example/|kept|||2024-03-03"}},
      {"top linking sites as home pages",
       text("Site,Linking pages,Target pages\nsite.example,12,3\nhttp://plain.example/deep/page,2,1\n"),
       {"https://site.example/|||||site", "http://plain.example/|||||site"}, "Read 2 rows: 2 added."},
      {"top linked pages refused", text("Target page,Incoming links,Linking sites\nhttps://mysite.example/,40,12\n"),
       {},
       "This is the \"Top linked pages\" table: it lists pages of your own site. Import \"Latest links\" or \"More "
       "sample links\", which list the pages that link to you."},
      {"backlink tool csv: hosts compared case-blind without www",
       text(kToolHeader +
            "https://t.example/1,https://WWW.MySite.example/p,Caf\xC3\xA9,TRUE,2023-01-01,2024-01-01\n"
            "https://t.example/2,http://mysite.example/,Two,no,,\n"
            "https://t.example/3,https://other.example/,Three,yes,,\n"
            "https://t.example/4,mysite.example/bare,Four,1,,\n"
            "https://t.example/1,https://www.mysite.example/q,Again,false,,2024-02-02\n"),
       {"https://t.example/1|Caf\xC3\xA9|nofollow|2023-01-01|2024-01-01", "https://t.example/2|Two|||",
        "https://t.example/4|Four|nofollow||"},
       "Read 5 rows: 3 added, 1 repeating an earlier row, 1 left out (1 links to another site)."},
      {"utf-16 le tab-separated with a byte-order mark",
       text(utf16(u"Referring page URL\tTarget URL\tAnchor\tNofollow\tFirst seen\tLast seen\r\n"
                  u"https://u.example/\thttps://www.mysite.example/\tSmile \U0001F600\tYes\t2022-02-02\t2023-03-03\r\n",
                  true)),
       {"https://u.example/|Smile \xF0\x9F\x98\x80|nofollow|2022-02-02|2023-03-03"}, "Read 1 row: 1 added."},
      {"semicolons, quotes around delimiters, line breaks and doubled quotes",
       text("\xEF\xBB\xBF  SOURCE URL ;Target URL;anchor\n"
            "https://q.example/;https://mysite.example/;\"Say \"\"hi\"\";\r\n  there\"\n"
            "\"https://q.example/2\";;\"\"\n"),
       {"https://q.example/|Say \"hi\"; there|||", "https://q.example/2||||"}, "Read 2 rows: 2 added."},
      {"unknown header, a quote never closed: plain text", text("\"Pages that link\nhttp://p.example/\nnot a link\n"),
       {"http://p.example/||||"}, "plain text: 1 added"},
      {"unknown header and no http line", text("Name,Count\nfoo,1\n"), {},
       "The file holds no links: no line has \"http\" in it, and its first line is not the header of a known "
       "backlink export (such as Search Console's \"Latest links\" table): nothing was imported."},
      {"binary file", text("\x7F" "ELF\x02\x01\x01\0\0\0http://x.example/\n"s), {},
       "The file is neither text nor a zip archive (it holds NUL bytes or bytes that are not text at its start): "
       "nothing was imported."},
      {"a quote never closed adds nothing", text(kScLatest + "https://v.example/,x\r\n\"https://w.example/,y\r\n"),
       {}, "The file could not be read to its end (line 3: a quote that is never closed): nothing was imported."},
      {"zip of tables",
       [](const Path& p) {
         writeZip(p, {{"Latest links.csv", kScLatest + "https://z.example/1,2024-05-05\r\n"},
                      {"Top linking sites.csv", "Site,Linking pages,Target pages\nsite.example,1,1\n"},
                      {"Top target pages.csv", "Target page,Incoming links\nhttps://mysite.example/,4\n"},
                      {"folder/", ""},
                      {"notes.txt", "Exported from Search Console\n"},
                      {"More sample links.csv", kScLatest + "https://z.example/1,\r\nhttps://z.example/2,\r\n"}});
       },
       {"https://z.example/1||||2024-05-05", "https://z.example/2||||"},
       "From the zip archive: used \"Latest links.csv\", \"More sample links.csv\"; skipped \"Top linking "
       "sites.csv\" (linking sites, not pages: import it on its own to add their home pages), \"Top target "
       "pages.csv\" (pages of your own site), \"notes.txt\" (no column of linking pages).\nRead 3 rows: 2 added, 1 "
       "repeating an earlier row."},
      {"zip bomb", [&](const Path& p) { writeZip(p, {{"Latest links.csv", kScLatest + bomb}}); }, {},
       "The zip archive unpacks to more than 50 MB, the most an import reads from one: nothing was imported."},
      {"2 GB file", [](const Path& p) {
         writeFile(p, kScLatest);
         std::filesystem::resize_file(p, 2ull << 30);  // sparse: nothing is written
       }, {},
       "The file is 2 GB; an import reads files of at most 200 MB: nothing was imported."},
  };
  TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Path path = dir.file("import" + std::to_string(n++));
    c.write(path);
    core::LinkList links;
    core::LinkRecord first = core::zeroLinkRecord();
    first.url = "https://a.example/x";
    first.note = "asked for a swap";
    links.append(first);
    core::LinkRecord second = core::zeroLinkRecord();
    second.url = "https://old.example/";
    second.details.anchor = "kept";
    links.append(second);

    BacklinkImportOptions options;
    options.websiteHost = "www.mysite.example";
    options.now = 1'700'000'000;
    const BacklinkImport imported = importBacklinkFile(links, path, options);
    EXPECT_EQ(said(imported), c.said);
    std::vector<std::string> expected = c.before;
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(described(links), expected);
    EXPECT_EQ(links.at(0)->note, "asked for a swap");
    std::filesystem::remove(path);
  }
}

// However the bytes come (one at a time or all at once), the records are the
// same: a CR LF, a quote or a UTF-16 surrogate pair split between two reads
// changes nothing.
TEST(DelimitedText, RecordsAreTheSameWhateverTheReadsTheBytesComeIn) {
  using Records = std::vector<std::vector<std::string>>;
  const struct {
    std::string bytes;
    char delimiter;
    Records records;
  } cases[] = {
      {"a,\"b\"\"c\",d\r\ne,\"f\r\ng\"\rh\n\n", ',', {{"a", "b\"c", "d"}, {"e", "f\r\ng"}, {"h"}, {""}}},
      {utf16(u"x\ty;z\tw\r\n\U0001F600\t\"q\"\n", false), '\t', {{"x", "y;z", "w"}, {"\xF0\x9F\x98\x80", "q"}}},
  };
  for (const auto& c : cases) {
    for (const std::size_t step : {std::size_t{1}, c.bytes.size()}) {
      std::size_t at = 0;
      DelimitedTextReader reader([&](char* buffer, std::size_t size) -> std::ptrdiff_t {
        const std::size_t n = std::min({size, step, c.bytes.size() - at});
        c.bytes.copy(buffer, n, at);
        at += n;
        return static_cast<std::ptrdiff_t>(n);
      });
      EXPECT_EQ(reader.delimiter(), c.delimiter);
      EXPECT_FALSE(reader.looksBinary());
      Records records;
      std::vector<std::string> fields;
      while (reader.nextRecord(fields)) records.push_back(fields);
      EXPECT_EQ(records, c.records) << "step " << step;
      EXPECT_EQ(reader.error(), "");
    }
  }
}

}  // namespace
}  // namespace larkspur::links
