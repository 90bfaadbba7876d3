#include "reports/list_export.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/link_list.h"
#include "reports/list_view.h"
#include "reports/markup_escape.h"
#include "reports/workbook_export.h"
#include "tests/support/expect_each.h"
#include "tests/support/temp_dir.h"

namespace larkspur::reports {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// Runs a command and returns its exit status and standard output.
struct Ran {
  int status = -1;
  std::string out;
};
Ran run(const std::string& command) {
  Ran r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// The system's Python, which has the spreadsheet reader.
std::string python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

// A JSON array of arrays of strings (null for an absent cell).
std::string json(const std::vector<std::vector<const char*>>& rows) {
  std::string out = "[";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += r ? ",[" : "[";
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (c) out += ",";
      if (!rows[r][c]) {
        out += "null";
        continue;
      }
      out += '"';
      for (const char* p = rows[r][c]; *p; ++p) {
        const unsigned char ch = static_cast<unsigned char>(*p);
        if (ch == '"' || ch == '\\') {
          out += '\\';
          out += *p;
        } else if (ch < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", ch);
          out += esc;
        } else {
          out += *p;
        }
      }
      out += '"';
    }
    out += "]";
  }
  return out + "]";
}

ListView linkView(std::vector<std::vector<std::string>> rows) {
  ListView view;
  view.columns = defaultLinkColumns();
  for (ViewColumn& c : view.columns) c.width = 50;  // every column shown
  view.rows = std::move(rows);
  return view;
}

TEST(ExportFormat, ChosenByTheExtensionInUpperCase) {
  struct Case {
    const char* name;
    ExportFormat format;
  };
  const Case cases[] = {
      {"a.txt", ExportFormat::kText},  {"a.TXT", ExportFormat::kText},  {"a.htm", ExportFormat::kHtml},
      {"a.HtM", ExportFormat::kHtml},  {"a.html", ExportFormat::kHtml}, {"a.xml", ExportFormat::kXml},
      {"a.XML", ExportFormat::kXml},   {"a.xls", ExportFormat::kExcel}, {"a.Xls", ExportFormat::kExcel},
      {"a.xlsx", ExportFormat::kExcel}, {"a.HTML", ExportFormat::kHtml}, {"noext", ExportFormat::kText},  {"dir.htm/a.csv", ExportFormat::kText},
  };
  for (const Case& c : cases) EXPECT_EQ(exportFormatFor(c.name), c.format) << c.name;
}

TEST(TextExport, DefaultLinkColumnsExactBytes) {
  core::LinkList links;
  core::LinkRecord r{};
  r.url = "http://a.example/";
  r.link_text = "hidden title";
  r.page_rank = 3;
  links.append(r);
  r.page_rank = -1;
  r.url = "http://b.example/";
  links.append(r);
  EXPECT_EQ(exportAsText(linkListView(links)), "Link URL,Rank\r\nhttp://a.example/,3\r\nhttp://b.example/,-\r\n");
  EXPECT_EQ(exportAsText(linkListView(core::LinkList{})), "Link URL,Rank\r\n");
}

TEST(TextExport, FieldsThatNeedItAreQuotedAndReadBackWhole) {
  const ListView view = linkView({
      {"http://a.example/?x=1,2", "Title, with comma", "3", "say \"hi\"", "a@b.example", "10.0.0.1"},
      {"http://b.example/", "", "-", "line1\r\nline2", "lf\nonly", "cr\ronly"},
      {"\"", ",", "\"\"", "plain", "caf\xc3\xa9", " spaced "},
  });
  const std::string text = exportAsText(view);
  EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2) + 2),
            "Link URL,Link Title,Rank,Note,Email,IP Address\r\n"
            "\"http://a.example/?x=1,2\",\"Title, with comma\",3,\"say \"\"hi\"\"\",a@b.example,10.0.0.1\r\n");

  TempDir dir;
  ASSERT_TRUE(exportListView(view, dir.file("links.txt")).ok());
  EXPECT_EQ(readFile(dir.file("links.txt")), text);
  writeFile(dir.file("expected.json"),
            json({{"Link URL", "Link Title", "Rank", "Note", "Email", "IP Address"},
                  {"http://a.example/?x=1,2", "Title, with comma", "3", "say \"hi\"", "a@b.example", "10.0.0.1"},
                  {"http://b.example/", "", "-", "line1\r\nline2", "lf\nonly", "cr\ronly"},
                  {"\"", ",", "\"\"", "plain", "caf\xc3\xa9", " spaced "}}));
  const Ran r = run(python() +
                    " -c 'import csv,json,sys\n"
                    "rows=list(csv.reader(open(sys.argv[1],newline=\"\",encoding=\"utf-8\")))\n"
                    "print(\"same\" if rows==json.load(open(sys.argv[2],encoding=\"utf-8\")) else repr(rows))' " +
                    quoted(dir.file("links.txt")) + " " + quoted(dir.file("expected.json")));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "same\n");
}

TEST(HtmlExport, ExactBytesWithTextsEscaped) {
  ListView view;
  view.columns = {{"Link URL", 330}, {"Hidden", 0}, {"", 40}, {"Note", 10}};
  view.rows = {{"http://a.example/?a=1&b=<2>", "secret", "3", "<script>alert(\"x\")</script>"},
               {"", "", "", "plain"}};
  const std::string expected =
      "<table border=\"1\"><tr><td>Link URL</td><td>&nbsp;</td><td>Note</td></tr>"
      "<tr><td>http://a.example/?a=1&amp;b=&lt;2&gt;</td><td>3</td>"
      "<td>&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;</td></tr>"
      "<tr><td>&nbsp;</td><td>&nbsp;</td><td>plain</td></tr></table>";
  EXPECT_EQ(exportAsHtml(view), expected);
  TempDir dir;
  ASSERT_TRUE(exportListView(view, dir.file("links.HTM")).ok());
  EXPECT_EQ(readFile(dir.file("links.HTM")), expected);
  ASSERT_TRUE(exportListView(view, dir.file("links.html")).ok());
  EXPECT_EQ(readFile(dir.file("links.html")), expected);
  view.rows.clear();
  EXPECT_EQ(exportAsHtml(view), "<table border=\"1\"><tr><td>Link URL</td><td>&nbsp;</td><td>Note</td></tr></table>");
}

TEST(XmlExport, ExactBytesForPlainTexts) {
  ListView view;
  view.columns = defaultLinkColumns();
  view.rows = {{"http://a.example/", "t", "3", "n", "e", "i"}, {"http://b.example/", "", "0", "", "", ""}};
  EXPECT_EQ(exportAsXml(view),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<REPORT>\n"
            "<LINK>\r\n<LinkURL>http://a.example/</LinkURL>\r\n<Rank>3</Rank>\r\n</LINK>"
            "<LINK>\r\n<LinkURL>http://b.example/</LinkURL>\r\n<Rank>0</Rank>\r\n</LINK>"
            "</REPORT>");
  view.rows.clear();
  EXPECT_EQ(exportAsXml(view), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<REPORT>\n</REPORT>");
}

TEST(XmlExport, AnyTextGivesAWellFormedDocument) {
  const ListView view = linkView({
      {"http://a.example/?a=1&b=<2>", "Fish & <Chips>", "3", "]]> \"q\" 'a'", "", "10.0.0.1"},
      {"http://b.example/", "ctl\x01\x08\x0b\x1f" "end", "-", "bad \xff\xfe bytes", "tab\there", "caf\xc3\xa9"},
  });
  TempDir dir;
  const auto path = dir.file("links.xml");
  ASSERT_TRUE(exportListView(view, path).ok());
  EXPECT_EQ(run("xmllint --noout " + quoted(path) + " 2>&1").status, 0) << readFile(path);

  struct Query {
    const char* xpath;
    const char* text;
  };
  const Query queries[] = {
      {"string(/REPORT/LINK[1]/LinkURL)", "http://a.example/?a=1&b=<2>"},
      {"string(/REPORT/LINK[1]/LinkTitle)", "Fish & <Chips>"},
      {"string(/REPORT/LINK[1]/Note)", "]]> \"q\" 'a'"},
      // Control characters are written as visible symbols, never raw.
      {"string(/REPORT/LINK[2]/LinkTitle)", "ctl\u2401\u2408\u240B\u241Fend"},
      {"string(/REPORT/LINK[2]/Note)", "bad \xef\xbf\xbd\xef\xbf\xbd bytes"},
      {"string(/REPORT/LINK[2]/IPAddress)", "caf\xc3\xa9"},
      {"count(/REPORT/LINK[1]/*)", "6"},
  };
  for (const Query& q : queries) {
    const Ran r = run("xmllint --xpath '" + std::string(q.xpath) + "' " + quoted(path));
    EXPECT_EQ(r.status, 0) << q.xpath;
    EXPECT_EQ(r.out, std::string(q.text) + "\n") << q.xpath;
  }
}

TEST(XmlNames, TitlesWithoutBlanksAndMadeUsable) {
  test::expectEach(xmlTagName, {{"Link URL", "LinkURL"}, {"IP Address", "IPAddress"}, {"Search Engine", "SearchEngine"},
                                {"", "_"}, {"1st <col>", "_1st_col_"}});
}

TEST(WorkbookExport, OneSheetWithTitlesAndEveryCellAsText) {
  const ListView view = linkView({
      {"http://a.example/?a=1&b=<2>", "it's a 'quote'", "3", "comma, here", "", "10.0.0.1"},
      {"http://b.example/", "", "-", "=1+1", "caf\xc3\xa9", "ctl\x01" "x"},
  });
  TempDir dir;
  // The workbook goes exactly where it was asked to, under the name given.
  const auto path = dir.file("links.XLS");
  ASSERT_TRUE(exportListView(view, path).ok());
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(readFile(path).substr(0, 2), "PK");  // an .xlsx (zip) workbook

  writeFile(dir.file("expected.json"),
            json({{"LinkURL", "LinkTitle", "Rank", "Note", "Email", "IPAddress"},
                  {"http://a.example/?a=1&b=<2>", "it's a 'quote'", "3", "comma, here", nullptr, "10.0.0.1"},
                  {"http://b.example/", nullptr, "-", "=1+1", "caf\xc3\xa9", "ctl\u2401x"}}));
  const Ran r = run(python() +
                    " -c 'import openpyxl,json,sys\n"
                    "wb=openpyxl.load_workbook(open(sys.argv[1],\"rb\"))\n"
                    "ws=wb.worksheets[0]\n"
                    "rows=[[c.value for c in row] for row in ws.iter_rows()]\n"
                    "types={c.data_type for row in ws.iter_rows() for c in row if c.value is not None}\n"
                    "ok=wb.sheetnames==[\"Exceldemo\"] and types=={\"s\"} and "
                    "rows==json.load(open(sys.argv[2],encoding=\"utf-8\"))\n"
                    "print(\"same\" if ok else repr((wb.sheetnames,types,rows)))' " +
                    quoted(path) + " " + quoted(dir.file("expected.json")));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "same\n");
}

TEST(ExportFailure, AFileThatCannotBeWrittenIsCreateFileErrorWithTheReason) {
  TempDir dir;
  const ListView view = linkView({{"http://a/", "", "0", "", "", ""}});
  for (const char* name : {"missing/a.txt", "missing/a.htm", "missing/a.xml", "missing/a.xls"}) {
    const std::string message = exportListView(view, dir.file(name)).message;
    EXPECT_EQ(message.rfind("Create file error! (", 0), 0u) << name << ": " << message;
    EXPECT_NE(message.find("No such file"), std::string::npos) << name << ": " << message;
  }
  // A failed workbook leaves nothing behind.
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace larkspur::reports
