#include "cli/command_report.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/service_base_option.h"
#include "core/fixed_text.h"
#include "core/project.h"
#include "reports/list_view.h"
#include "reports/report_time.h"
#include "reports/submit_report.h"

namespace larkspur::cli {

const char kReportUsage[] =
    "report PROJECT.lkr [--output FILE.htm] [--service-base URL]\n"
    "      Write the submit report: the profile and every target with its state\n"
    "      (default name from the website's host, e.g. mysite.HTM; - writes it to\n"
    "      standard output).";

int runReportCommand(const std::vector<std::string>& args) {
  Arguments parsed(args, {"output", "service-base"}, {});
  if (!parsed.error().empty()) return fail("report: " + parsed.error(), 2);
  if (parsed.positional().size() != 1) {
    return fail("usage: larkspur-cli report PROJECT.lkr [--output FILE.htm] [--service-base URL]", 2);
  }
  if (int rc = applyServiceBaseOption(parsed, "report")) return rc;

  core::Project project;
  core::Status opened = project.open(parsed.positional()[0]);
  if (!opened.ok()) return fail(opened.message);

  std::string output = parsed.value("output").value_or("");
  if (output.empty()) {
    output = reports::proposedSubmitReportName(core::fieldView(project.profile.url));
    if (output.front() == '*') {
      return fail("report: no file name can be made from the website URL; give --output FILE.htm", 2);
    }
  }

  const reports::ListView view = reports::engineListView(project.engines);
  std::vector<const core::EngineRecord*> records;
  for (std::size_t i = 0; i < project.engines.size(); ++i) records.push_back(project.engines.at(i));
  const std::tm now = reports::localTime(std::time(nullptr));
  if (output == kStandardOutput) {
    return writeStandardOutput(reports::submitReportText(project.profile, view, records, now)) ? 0 : 1;
  }
  core::Status written = reports::writeSubmitReport(output, project.profile, view, records, now);
  if (!written.ok()) return fail(written.message);
  std::printf("Report: %s (%zu targets)\n", output.c_str(), view.rows.size());
  return 0;
}

}  // namespace larkspur::cli
