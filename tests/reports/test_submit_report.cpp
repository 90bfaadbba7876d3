#include "reports/submit_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine_table.h"
#include "core/fixed_text.h"
#include "reports/list_view.h"
#include "tests/support/expect_each.h"
#include "tests/support/temp_dir.h"

namespace larkspur::reports {
namespace {

using core::copyText;

core::EngineRecord engine(const char* name, int32_t type, int32_t rank, const char* state, const char* message) {
  core::EngineRecord r{};
  r.name = name;
  r.country = "Norway";
  r.submit_type = type;
  r.rank = rank;
  r.submit_state = state;
  r.message = message;
  return r;
}

class SubmitReportTest : public ::testing::Test {
 protected:
  SubmitReportTest() {
    copyText(profile_.url, "http://www.mysite.example/");
    copyText(profile_.title, "My <Site> & Co");
    copyText(profile_.email, "me@mysite.example");
    copyText(profile_.first_name, "Ann");
    copyText(profile_.last_name, "Lee");
    copyText(profile_.user, "not reported");
    copyText(profile_.password, "secret");
    copyText(profile_.country, "Norway");
    copyText(profile_.category, "Arts");
    copyText(profile_.telephone, "555");
    copyText(profile_.keyword, "a, b");
    copyText(profile_.short_description, "Short");
    copyText(profile_.long_description, "Long");
    alpha_ = engines_.append(engine("Alpha", 1, 5, "", ""));
    beta_ = engines_.append(engine("Beta", 0, 3, "Submit-OK", "set but not shown"));
    gamma_ = engines_.append(engine("Gamma", 99, 7, "Submit-Error", "Error 404:Object not found!"));
    now_.tm_year = 124;
    now_.tm_mon = 2;
    now_.tm_mday = 5;
    now_.tm_hour = 9;
    now_.tm_min = 7;
  }

  core::WebsiteProfile profile_;
  core::EngineTable engines_;
  core::EngineRecord* alpha_;
  core::EngineRecord* beta_;
  core::EngineRecord* gamma_;
  std::tm now_{};
};

const char kHead[] =
    "<h2>Website : http://www.mysite.example/</h2>\t\n\t\n"
    "<p><font face=\"Arial\" size=\"2\">Title : My &lt;Site&gt; &amp; Co</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Contact Email : me@mysite.example</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">First Name : Ann</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Last Name : Lee</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Country : Norway</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Category : Arts</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Telephone : 555</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Keyword : a, b</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Descript (Short) : Short</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Descript (Long) : Long</font></p>\t\n"
    "<p><font face=\"Arial\" size=\"2\">Date :March 05, 2024 : 09:07 </font></p>\t\n\t\n"
    "<table border=\"1\" cellpadding=\"6\" cellspacing=\"1\"><tr>";

TEST_F(SubmitReportTest, ExactBytesInDisplayOrderWithoutHiddenColumns) {
  ListView view = engineListView(engines_);
  view.columns[1].width = 0;  // "Country" hidden by the user
  // Sorted by the user: Gamma, Alpha, Beta.
  view.rows = {view.rows[2], view.rows[0], view.rows[1]};
  const std::vector<const core::EngineRecord*> records{gamma_, alpha_, beta_};

  const std::string expected =
      std::string(kHead) +
      "<td><p align=\"center\">Search Engine</td><td><p align=\"center\">Type</td>"
      "<td><p align=\"center\">Rank</td><td><p align=\"center\">Submit State</td><td>Submit Message</td></tr>"
      "<tr><td><p align=\"center\">Gamma</td><td><p align=\"center\">AUTO</td><td><p align=\"center\">7</td>"
      "<td><p align=\"center\">Submit-Error</td><td>Error 404:Object not found!</td></tr>"
      "<tr><td><p align=\"center\">Alpha</td><td><p align=\"center\">AUTO</td><td><p align=\"center\">5</td>"
      "<td>Un-Submit</td><td>&nbsp;</td></tr>"
      "<tr><td><p align=\"center\">Beta</td><td><p align=\"center\">SEMI</td><td><p align=\"center\">3</td>"
      "<td><p align=\"center\">Submit-OK</td><td>&nbsp;</td></tr>";
  EXPECT_EQ(submitReportText(profile_, view, records, now_), expected);

  test::TempDir dir;
  ASSERT_TRUE(writeSubmitReport(dir.file("r.HTML"), profile_, view, records, now_).ok());
  EXPECT_EQ(test::readFile(dir.file("r.HTML")), expected);
  core::Status failed = writeSubmitReport(dir.file("missing/r.HTML"), profile_, view, records, now_);
  EXPECT_EQ(failed.message.rfind("Create file error! (", 0), 0u) << failed.message;
  EXPECT_NE(failed.message.find("No such file or directory"), std::string::npos) << failed.message;
}

TEST_F(SubmitReportTest, EmptyTitlesAndRowsWithoutRecords) {
  ListView view;
  view.columns = {{"", 10}, {"State", 20}};
  view.rows = {{"x", ""}};
  EXPECT_EQ(submitReportText(profile_, view, {}, now_),
            std::string(kHead) +
                "<td><p align=\"center\">  </td><td><p align=\"center\">State</td><td>Submit Message</td></tr>"
                "<tr><td><p align=\"center\">x</td><td>Un-Submit</td><td>&nbsp;</td></tr>");
}

TEST_F(SubmitReportTest, NoTextCanOpenAnElement) {
  // Profile texts, cells and messages from other people's servers: none may
  // open an element or script in the report a browser shows.
  core::copyText(profile_.title, "<script>alert(1)</script>");
  core::copyText(profile_.email, "x\" onerror=\"alert(1)");
  core::copyText(profile_.url, "http://a.example/<img src=x>");
  core::EngineRecord failed{};
  failed.submit_state = "Submit-Error";
  failed.message = "<iframe src=javascript:alert(1)>\x1b[2J";
  ListView view;
  view.columns = {{"<b>Name</b>", 10}, {"State", 20}};
  view.rows = {{"<svg onload=alert(1)>", "Submit-Error"}};
  const core::EngineRecord* records[] = {&failed};
  const std::string text = submitReportText(profile_, view, records, now_);
  for (const char* raw : {"<script", "<img", "<iframe", "<svg", "<b>", "\" onerror"}) {
    EXPECT_EQ(text.find(raw), std::string::npos) << raw << "\n" << text;
  }
  EXPECT_NE(text.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(text.find("x&quot; onerror=&quot;alert(1)"), std::string::npos);
  // A control character left in an older file is written as its symbol.
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_NE(text.find("\u241B[2J"), std::string::npos);
}

TEST(SubmitReportName, ProposedFromTheHostName) {
  test::expectEach(proposedSubmitReportName, {{"http://www.mysite.example/", "mysite.HTM"},
                                              {"http://www.mysite.co.uk/x", "mysite.HTM"},
                                              {"http://mysite.example/", ".HTM"},
                                              {"http://localhost/", ".HTM"},
                                              {"http://a/", "*.HTM"},
                                              {"http://", "*.HTM"},
                                              {"", "*.HTM"},
                                              {"www.mysite.example", "*.HTM"}});
}

}  // namespace
}  // namespace larkspur::reports
