#include "cli/command_links.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/command_services.h"
#include "cli/job_console.h"
#include "cli/service_base_option.h"
#include "core/coordination.h"
#include "core/fixed_text.h"
#include "core/link_import.h"
#include "core/link_list_edit.h"
#include "core/message_queue.h"
#include "core/project.h"
#include "core/website_profile.h"
#include "core/counted_thread.h"
#include "links/backlink_import.h"
#include "links/job_texts.h"
#include "links/link_info_update.h"
#include "links/link_search.h"
#include "reports/links_report.h"
#include "reports/list_export.h"
#include "reports/list_view.h"
#include "reports/report_file.h"
#include "reports/report_time.h"

namespace larkspur::cli {

const char kLinksUsage[] =
    "links import PROJECT.lkr FILE\n"
    "      Add the linking pages of FILE: a backlink export (Search Console's Links\n"
    "      tables or their .zip, a backlink tool's CSV or TSV; told by the header\n"
    "      line), else every line that holds \"http\" (any case). Rows that link to\n"
    "      another host than the website's are left out; pages already in the list\n"
    "      get the file's details (anchor, nofollow, first and last seen).\n"
    "  links add PROJECT.lkr URL [--title T] [--note N] [--email E] [--contact C]\n"
    "      Add one link by hand.\n"
    "  links delete PROJECT.lkr URL\n"
    "      Delete every link with exactly this URL.\n"
    "  links search PROJECT.lkr [--source bing-webmaster|engines] [--service-base URL]\n"
    "      Ask Google and Yahoo Site Explorer for pages that link to the website;\n"
    "      with a Bing Webmaster Tools key (see services), that service instead.\n"
    "  links update PROJECT.lkr [--ip] [--rank] [--email] [--time-out SECONDS]\n"
    "               [--service-base URL]\n"
    "      Refresh the links' IP address, PageRank and contact e-mail (all three\n"
    "      when none is chosen). Each look-up waits at most --time-out seconds\n"
    "      (15); a service that fails three look-ups in a row is asked no more.\n"
    "      With an Open PageRank key the ranks come from that service.\n"
    "  links check PROJECT.lkr [--output FILE.html] [--service-base URL]\n"
    "      Check that each linking page still links to the website and what the\n"
    "      link is worth (status, final address, anchor, rel, indexable, lost\n"
    "      since; kept in the project); write the links report (default name\n"
    "      HOST-YYYY-MM-DD.html).\n"
    "  links export PROJECT.lkr FILE.(txt|htm|html|xml|xlsx|xls) [--details]\n"
    "      Export the link list's URL and Rank columns (--details: and what the\n"
    "      last check found); the extension chooses the format (.xls gives an\n"
    "      .xlsx workbook); - writes the comma-separated text to standard output.";

namespace {

using core::fieldView;

struct OpenedProject {
  core::Project project;
  std::filesystem::path path;
};

// Parses the words of one subcommand: PROJECT first, then the other
// positional words, `positionals` in all. Returns 0, or the exit code after
// printing a usage error.
int parse(const std::string& sub, const std::vector<std::string>& words, std::set<std::string> values,
          const std::set<std::string>& flags, std::size_t positionals, const char* usage, Arguments& out) {
  values.insert("service-base");
  out = Arguments(words, values, flags);
  if (!out.error().empty()) return fail("links " + sub + ": " + out.error(), 2);
  if (out.positional().size() != positionals) return usageError(usage);
  return applyServiceBaseOption(out, "links " + sub);
}

int openProject(const std::string& path, core::Project& project) {
  core::Status opened = project.open(path);
  return opened.ok() ? 0 : fail(opened.message);
}

// parse, then opens the project the first positional word names. Returns 0,
// or the exit code after printing what went wrong.
int parseAndOpen(const std::string& sub, const std::vector<std::string>& words, std::set<std::string> values,
                 const std::set<std::string>& flags, std::size_t positionals, const char* usage, Arguments& out,
                 core::Project& project) {
  if (int rc = parse(sub, words, std::move(values), flags, positionals, usage, out)) return rc;
  return openProject(out.positional()[0], project);
}

int saveProject(core::Project& project, const std::string& path) {
  core::Status saved = project.save(path);
  return saved.ok() ? 0 : fail(saved.message);
}

std::string rankText(int32_t rank) { return rank == -1 ? std::string("-") : std::to_string(rank); }

int runImport(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  core::Project project;
  if (int rc = parseAndOpen("import", words, {}, {}, 2, "links import PROJECT.lkr FILE", args, project)) return rc;
  const std::string& path = args.positional()[0];

  links::BacklinkImportOptions options;
  options.websiteHost = std::string(fieldView(project.profile.host));
  options.now = core::linkTimeNow();
  const links::BacklinkImport result = links::importBacklinkFile(project.links, args.positional()[1], options);
  if (!result.status.ok()) {
    const std::string& message = result.status.message;
    if (message == core::kImportOpenError) return fail(message + "(" + args.positional()[1] + ")");
    return fail("links import: " + message);
  }
  if (result.changedList()) {
    if (int saved = saveProject(project, path)) return saved;
  }
  if (!result.plainText) {
    std::printf("%s\n", links::importSummary(result).c_str());
    return 0;
  }
  const core::ImportResult& imported = result.plain;
  if (imported.refused > 0) warn(core::refusedLinesText(imported.refused));
  if (imported.limitReached) {
    warn("one import adds at most " + std::to_string(core::kImportMaxLinks) +
         " links; the rest of the file was skipped");
  }
  std::printf("Imported %zu links (%zu in the list)\n", imported.added, project.links.size());
  return 0;
}

int runAdd(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  core::Project project;
  if (int rc = parseAndOpen("add", words, {"title", "note", "email", "contact"}, {}, 2,
                            "links add PROJECT.lkr URL [--title T] [--note N] [--email E] [--contact C]", args,
                            project)) {
    return rc;
  }
  const std::string& path = args.positional()[0];

  core::LinkFields fields;
  fields.url = args.positional()[1];
  fields.linkText = args.value("title").value_or("");
  fields.note = args.value("note").value_or("");
  fields.email = args.value("email").value_or("");
  fields.contactName = args.value("contact").value_or("");
  core::AddLinkResult added = core::addLink(project.links, fields, core::linkTimeNow());
  if (!added.status.ok()) return fail("links add: " + added.status.message);
  if (int saved = saveProject(project, path)) return saved;
  std::printf("Added %s (%zu in the list)\n", shown(fields.url).c_str(), project.links.size());
  return 0;
}

int runDelete(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  core::Project project;
  if (int rc = parseAndOpen("delete", words, {}, {}, 2, "links delete PROJECT.lkr URL", args, project)) return rc;
  const std::string& path = args.positional()[0];
  const std::string& url = args.positional()[1];

  std::vector<const core::LinkRecord*> chosen;
  for (const auto& record : project.links.snapshot()) {
    if (record->url == url) chosen.push_back(record.get());
  }
  if (chosen.empty()) return fail("links delete: no link with the URL " + url);
  const std::size_t removed = core::deleteLinks(project.links, chosen);
  if (int saved = saveProject(project, path)) return saved;
  std::printf("Deleted %zu link%s (%zu in the list)\n", removed, removed == 1 ? "" : "s", project.links.size());
  return 0;
}

int runSearch(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  if (int rc = parse("search", words, {"source"}, {}, 1,
                     "links search PROJECT.lkr [--source bing-webmaster|engines] [--service-base URL]", args)) {
    return rc;
  }
  // Bing Webmaster Tools when its key is set (or asked for), else the engines.
  const std::optional<std::string> source = args.value("source");
  if (source && *source != "bing-webmaster" && *source != "engines") {
    return fail("links search: --source wants bing-webmaster or engines, not '" + *source + "'", 2);
  }
  links::LinkSearchOptions options;
  if (source != "engines") options.bing.key = serviceKeyFor(core::KeyedService::kBingWebmaster);
  if (source == "bing-webmaster" && options.bing.key.empty()) {
    return fail("links search: no Bing Webmaster Tools key is set: give it with 'larkspur-cli services set "
                "bing-webmaster KEY' or in LARKSPUR_BING_WEBMASTER_KEY",
                2);
  }
  const bool bing = !options.bing.key.empty();
  const std::string& path = args.positional()[0];
  core::Project project;
  if (int opened = openProject(path, project)) return opened;
  const std::string url(fieldView(project.profile.url));
  if (core::hostOfUrl(url).empty()) {
    return fail("links search: the website URL '" + url + "' has no host name to search for");
  }

  ConsoleJob job;
  links::LinkSearch search(project.links, job.coordination, job.queue.poster(), std::move(options));
  if (!search.start(url)) return fail("links search: the search could not be started");
  project.setModified(true);

  std::size_t found = 0;
  std::size_t updated = 0;
  std::vector<std::string> notices;
  JobWatch watch;
  watch.word = "Searching";
  watch.finished = [&] { return search.finished(); };
  watch.onMessage = [&](const core::Message& m) {
    if (m.id == core::MessageId::kJobNotice) notices.push_back(m.text);
    if (m.id != core::MessageId::kLinkFound && m.id != core::MessageId::kRecordChanged) return;
    (m.id == core::MessageId::kLinkFound ? found : updated) += 1;
    core::LinkRecord copy = core::zeroLinkRecord();
    if (auto record = project.links.find(static_cast<core::LinkRecord*>(m.record))) {
      copy = project.links.withLock([&] { return *record; });
    }
    const char* what = m.id == core::MessageId::kLinkFound ? "found" : "updated";
    if (bing) {
      std::printf("%s: %s  anchor %s\n", what, shown(m.text).c_str(), shown(copy.details.anchor).c_str());
    } else {
      std::printf("%s: %s  rank %s\n", what, shown(m.text).c_str(), rankText(copy.page_rank).c_str());
    }
    std::fflush(stdout);
  };
  watch.detail = [&] { return std::to_string(found) + " links found"; };
  const bool stopped = job.watch(watch);
  const std::vector<links::EngineOutcome> outcomes = search.wait();

  std::printf("%s\n", std::string(links::searchEndText(stopped)).c_str());
  std::printf("%zu new links, %zu in the list\n", found, project.links.size());
  if (updated > 0) std::printf("%zu links updated\n", updated);
  if (found > 0 || updated > 0) {
    if (int saved = saveProject(project, path)) return saved;
  }
  std::string failure;
  for (const links::EngineOutcome& outcome : outcomes) {
    if (!outcome.failure.empty()) failure = outcome.failure;
  }
  for (const std::string& notice : notices) {
    if (notice != failure) std::printf("%s\n", shown(notice).c_str());
  }
  if (!failure.empty()) return fail(failure);
  return stopped ? kInterruptedExit : 0;
}

int runUpdate(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  if (int rc = parse("update", words, {"time-out"}, {"ip", "rank", "email"}, 1,
                     "links update PROJECT.lkr [--ip] [--rank] [--email] [--time-out SECONDS] [--service-base URL]",
                     args)) {
    return rc;
  }
  links::LinkInfoOptions options;
  if (std::optional<std::string> text = args.value("time-out")) {
    const std::optional<long> seconds = parseSeconds(*text);
    if (!seconds) return fail("links update: --time-out wants a number of seconds from 1 to 86400", 2);
    const std::chrono::seconds deadline(*seconds);
    options.resolver = links::systemResolver(deadline);
    options.rankFetch = links::lookUpFetchOptions(deadline);
    options.emailFetch = links::lookUpFetchOptions(deadline);
  }
  links::LinkInfoFlags flags{args.has("ip"), args.has("rank"), args.has("email")};
  if (!flags.ip && !flags.rank && !flags.email) flags = links::kGetAll;
  if (flags.rank) options.openPageRank.key = serviceKeyFor(core::KeyedService::kOpenPageRank);
  const std::string& path = args.positional()[0];
  core::Project project;
  if (int opened = openProject(path, project)) return opened;

  ConsoleJob job;
  std::atomic<std::size_t> visited{0};
  const std::size_t total = project.links.size();
  options.onVisited = [&](std::size_t n) { visited = n; };

  job.coordination.stop.reset();
  std::size_t changed = 0;
  JobWatch watch;
  watch.word = "Updating";
  watch.onMessage = [&](const core::Message& m) {
    if (m.id == core::MessageId::kJobNotice) std::printf("%s\n", shown(m.text).c_str());
    if (m.id != core::MessageId::kRecordChanged) return;
    ++changed;
    auto record = project.links.find(static_cast<core::LinkRecord*>(m.record));
    if (!record) return;
    core::LinkRecord copy = project.links.withLock([&] { return *record; });
    std::printf("updated: %s  rank %s", shown(m.text).c_str(), rankText(copy.page_rank).c_str());
    if (!copy.ip.empty()) std::printf("  ip %s", shown(copy.ip).c_str());
    if (!copy.email.empty()) std::printf("  email %s", shown(copy.email).c_str());
    std::printf("\n");
    std::fflush(stdout);
  };
  watch.detail = [&] { return std::to_string(visited.load()) + " of " + std::to_string(total) + " links"; };

  const std::optional<bool> stopped = job.watchWorker(
      watch, [&] { links::runLinkInfoUpdate(project.links, flags, job.coordination, job.queue.poster(), options); });
  if (!stopped) return fail("links update: no worker thread could be started");

  std::printf("%s\n", std::string(links::updateEndText(*stopped)).c_str());
  std::printf("%zu links changed\n", changed);
  if (changed > 0) {
    if (int saved = saveProject(project, path)) return saved;
  }
  return *stopped ? kInterruptedExit : 0;
}

int runCheck(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  core::Project project;
  if (int rc = parseAndOpen("check", words, {"output"}, {}, 1,
                            "links check PROJECT.lkr [--output FILE.html] [--service-base URL]", args, project)) {
    return rc;
  }
  const std::string url(fieldView(project.profile.url));
  const std::string output = args.value("output").value_or(
      reports::proposedLinksReportName(url, reports::localTime(std::time(nullptr))));
  // Checking every link first and then finding the report cannot be written
  // would waste the whole run.
  if (const core::Status writable = reports::checkCanCreate(output); !writable.ok()) return fail(writable.message);

  ConsoleJob job;
  std::atomic<std::size_t> checked{0};
  const std::size_t total = project.links.size();
  reports::LinksReportOptions options;
  options.onChecked = [&](std::size_t n) { checked = n; };
  reports::LinksReportResult result;

  job.coordination.stop.reset();
  JobWatch watch;
  watch.word = "Checking";
  watch.detail = [&] { return std::to_string(checked.load()) + " of " + std::to_string(total) + " links"; };
  const std::optional<bool> stopped = job.watchWorker(
      watch, [&] { result = reports::runLinksReport(project.links, url, output, job.coordination, options); });
  if (!stopped) return fail("links check: no worker thread could be started");

  for (const reports::LinksReportRow& row : result.rows) {
    std::printf("%s  %s\n", shown(row.state).c_str(), shown(row.url).c_str());
  }
  for (const reports::LostLink& lost : result.sections.lost) {
    std::printf("Lost since %s  %s\n", shown(lost.lostSince).c_str(), shown(lost.url).c_str());
  }
  for (const reports::UncountedLink& link : result.sections.notCounting) {
    std::printf("Does not count (%s)  %s\n", shown(link.why).c_str(), shown(link.url).c_str());
  }
  std::printf("%s\n", std::string(reports::checkEndText(*stopped)).c_str());
  // What the check found of each link is kept, report or not.
  if (!result.rows.empty()) {
    if (int saved = saveProject(project, args.positional()[0])) return saved;
  }
  if (!result.written) return fail(result.error);
  std::printf("Report: %s\n", output.c_str());
  return *stopped ? kInterruptedExit : 0;
}

int runExport(const std::vector<std::string>& words) {
  Arguments args({}, {}, {});
  core::Project project;
  if (int rc = parseAndOpen("export", words, {}, {"details"}, 2,
                            "links export PROJECT.lkr FILE.(txt|htm|html|xml|xlsx|xls)|- [--details]", args, project)) {
    return rc;
  }
  const std::string& file = args.positional()[1];
  std::vector<reports::ViewColumn> columns = reports::defaultLinkColumns();
  if (args.has("details")) {
    for (const reports::ViewColumn& column : reports::linkDetailColumns()) columns.push_back(column);
  }
  const reports::ListView view = reports::linkListView(project.links, std::move(columns));
  if (file == kStandardOutput) return writeStandardOutput(reports::exportAsText(view)) ? 0 : 1;
  core::Status exported = reports::exportListView(view, file);
  if (!exported.ok()) return fail(exported.message);
  std::printf("Exported %zu links to %s\n", view.rows.size(), file.c_str());
  return 0;
}

}  // namespace

int runLinksCommand(const std::vector<std::string>& args) {
  if (args.empty()) {
    return fail("links needs a subcommand: import, add, delete, search, update, check or export (see --help)", 2);
  }
  const std::string& sub = args.front();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (sub == "import") return runImport(rest);
  if (sub == "add") return runAdd(rest);
  if (sub == "delete") return runDelete(rest);
  if (sub == "search") return runSearch(rest);
  if (sub == "update") return runUpdate(rest);
  if (sub == "check") return runCheck(rest);
  if (sub == "export") return runExport(rest);
  return fail("links: unknown subcommand '" + sub + "' (import, add, delete, search, update, check, export)", 2);
}

}  // namespace larkspur::cli
