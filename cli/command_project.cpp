// new, set and show: a project's profile and what it holds.

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/profile_options.h"
#include "core/fixed_text.h"
#include "core/project.h"

namespace larkspur::cli {

namespace {

using larkspur::core::fieldView;
using larkspur::core::Project;

std::set<std::string> withProfileOptions(std::set<std::string> extra) {
  std::set<std::string> names = profileOptionNames();
  names.insert(extra.begin(), extra.end());
  return names;
}

int applyAndReport(const Arguments& args, Project& project) {
  ProfileUpdate update = applyProfileOptions(args, project.profile);
  if (!update.error.empty()) return fail(update.error);
  for (const std::string& w : update.warnings) warn(w);
  project.profileChanged();
  return 0;
}

std::string text(const char* field, std::size_t capacity) {
  return std::string(fieldView(field, capacity));
}

// ---------------------------------------------------------------- link details
// What show prints of a link's details beyond the list's columns. From an
// import: anchor, rel, first and last seen, site.

void addImportDetails(nlohmann::ordered_json& link, const larkspur::core::LinkDetails& details) {
  link["anchor"] = details.anchor;
  link["rel"] = details.rel;
  link["first_seen"] = details.firstSeen;
  link["last_seen"] = details.lastSeen;
  link["site"] = details.site;
}

std::string importDetailsText(const larkspur::core::LinkDetails& details) {
  std::string out;
  if (!details.anchor.empty()) out += "  anchor \"" + shown(details.anchor) + "\"";
  if (!details.rel.empty()) out += "  rel " + shown(details.rel);
  if (!details.firstSeen.empty()) out += "  first seen " + shown(details.firstSeen);
  if (!details.lastSeen.empty()) out += "  last seen " + shown(details.lastSeen);
  if (details.site) out += "  site";
  return out;
}

// ---------------------------------------------------------------- end of link details

// ---- What the last links check found of a link (links check).

const char* knownWord(larkspur::core::Known known) {
  using larkspur::core::Known;
  return known == Known::kYes ? "yes" : known == Known::kNo ? "no" : "unknown";
}

nlohmann::ordered_json knownJson(larkspur::core::Known known) {
  using larkspur::core::Known;
  return known == Known::kUnknown ? nlohmann::ordered_json() : nlohmann::ordered_json(known == Known::kYes);
}

// The "check" object of a checked link; null when it was never checked.
nlohmann::ordered_json checkJson(const larkspur::core::LinkDetails& d) {
  if (d.lastChecked.empty()) return nullptr;
  return {{"last_checked", d.lastChecked}, {"status", d.httpStatus},         {"final_url", d.finalUrl},
          {"link_found", knownJson(d.linkFound)}, {"indexable", knownJson(d.indexable)},
          {"not_indexable_by", d.notIndexableBy}, {"lost_since", d.lostSince}};
}

// The line under a checked link: "    checked TIME  status 200  link found
// yes  indexable no (robots.txt)  final URL  lost since TIME".
void printCheck(const larkspur::core::LinkDetails& d) {
  if (d.lastChecked.empty()) return;
  const std::string status = d.httpStatus == 0 ? "none" : std::to_string(d.httpStatus);
  std::printf("    checked %s  status %s  link found %s  indexable %s", shown(d.lastChecked).c_str(), status.c_str(),
              knownWord(d.linkFound), knownWord(d.indexable));
  if (!d.notIndexableBy.empty()) std::printf(" (%s)", shown(d.notIndexableBy).c_str());
  if (!d.finalUrl.empty()) std::printf("  final %s", shown(d.finalUrl).c_str());
  if (!d.lostSince.empty()) std::printf("  lost since %s", shown(d.lostSince).c_str());
  std::printf("\n");
}

}  // namespace

const char kNewUsage[] =
    "new PROJECT.lkr --url URL [profile options] [--force]\n"
    "      Create a project with a fresh target table and that website profile.";

int runNewCommand(const Words& words) {
  Arguments args(words, withProfileOptions({}), {"force"});
  if (!args.error().empty()) return fail(args.error(), 2);
  if (args.positional().size() != 1) return fail("usage: larkspur-cli new PROJECT.lkr --url URL [profile options]", 2);
  if (!args.has("url")) return fail("new needs --url URL", 2);
  const std::filesystem::path path = args.positional()[0];
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !args.has("force")) {
    return fail(path.string() + " already exists (use --force to replace it)");
  }

  Project project;
  project.newProject();
  if (int rc = applyAndReport(args, project)) return rc;
  larkspur::core::Status saved = project.save(path);
  if (!saved.ok()) return fail(saved.message);
  std::printf("Created %s for %s (%zu targets)\n", path.c_str(), project.profile.url,
              project.engines.size());
  return 0;
}

const char kSetUsage[] =
    "set PROJECT.lkr [profile options]\n"
    "      Change profile fields of a project and save it.";

int runSetCommand(const Words& words) {
  Arguments args(words, withProfileOptions({}), {});
  if (!args.error().empty()) return fail(args.error(), 2);
  if (args.positional().size() != 1) return fail("usage: larkspur-cli set PROJECT.lkr [profile options]", 2);
  const std::filesystem::path path = args.positional()[0];

  Project project;
  larkspur::core::Status opened = project.open(path);
  if (!opened.ok()) return fail(opened.message);
  if (int rc = applyAndReport(args, project)) return rc;
  larkspur::core::Status saved = project.save(path);
  if (!saved.ok()) return fail(saved.message);
  std::printf("Saved %s\n", path.c_str());
  return 0;
}

const char kShowUsage[] =
    "show PROJECT.lkr [--json] [--show-password]\n"
    "      Print the profile, every target with its state (and its last check's verdict),\n"
    "      every link with its note, the details an import kept (anchor, rel, first\n"
    "      and last seen, site) and what the last links check found\n"
    "      and the IndexNow announcements.";

int runShowCommand(const Words& words) {
  Arguments args(words, {}, {"json", "show-password"});
  if (!args.error().empty()) return fail(args.error(), 2);
  if (args.positional().size() != 1) return fail("usage: larkspur-cli show PROJECT.lkr [--json] [--show-password]", 2);

  Project project;
  larkspur::core::Status opened = project.open(args.positional()[0]);
  if (!opened.ok()) return fail(opened.message);
  const bool showPassword = args.has("show-password");

  auto profileValue = [&](const larkspur::core::ProfileField& f) {
    std::string value = text(f.in(project.profile), f.capacity);
    if (std::string(f.key) == "m_password" && !showPassword && !value.empty()) value = "********";
    return value;
  };

  if (args.has("json")) {
    nlohmann::ordered_json doc;
    nlohmann::ordered_json profile;
    for (const auto& f : larkspur::core::profileFields()) profile[f.key] = profileValue(f);
    profile["host"] = text(project.profile.host, sizeof project.profile.host);
    doc["profile"] = profile;
    nlohmann::ordered_json targets = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < project.engines.size(); ++i) {
      const auto& r = *project.engines.at(i);
      targets.push_back({{"name", r.name.str()},
                         {"country", r.country.str()},
                         {"type", larkspur::core::submitTypeLabel(r.submit_type)},
                         {"rank", r.rank},
                         {"state", r.submit_state.str()},
                         {"message", r.message.str()},
                         {"health", r.health.str()},
                         {"health_reason", r.health_reason.str()},
                         {"health_checked", r.health_checked.str()}});
    }
    doc["targets"] = targets;
    nlohmann::ordered_json links = nlohmann::ordered_json::array();
    for (const auto& l : project.links.snapshot()) {
      nlohmann::ordered_json link = {{"url", l->url.str()},
                                     {"title", l->link_text.str()},
                                     {"rank", l->page_rank},
                                     {"email", l->email.str()},
                                     {"contact", l->contact_name.str()},
                                     {"ip", l->ip.str()},
                                     {"added", l->add_time},
                                     {"note", l->note.str()}};
      addImportDetails(link, l->details);
      links.push_back(std::move(link));
      if (nlohmann::ordered_json check = checkJson(l->details); !check.is_null()) links.back()["check"] = check;
    }
    doc["links"] = links;
    // The key is not printed: it says a key is kept and for which host.
    const larkspur::core::AnnounceState& announce = project.announce;
    nlohmann::ordered_json announced = nlohmann::ordered_json::array();
    for (const auto& [url, lastmod] : announce.announced) announced.push_back({{"url", url}, {"lastmod", lastmod}});
    nlohmann::ordered_json log = nlohmann::ordered_json::array();
    for (const auto& e : announce.log) {
      log.push_back({{"time", e.time}, {"endpoint", e.endpoint}, {"urls", e.urlCount}, {"code", e.code},
                     {"answer", e.answer}});
    }
    doc["announce"] = {{"key_set", !announce.key.empty()}, {"key_host", announce.keyHost},
                       {"announced", announced}, {"log", log}};
    // Texts from old projects or other people's pages need not be UTF-8.
    std::string out = doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s\n", out.c_str());
    return 0;
  }

  std::printf("Project: %s\n\n", args.positional()[0].c_str());
  for (const auto& f : larkspur::core::profileFields()) {
    std::printf("%-18s %s\n", (std::string(f.label) + ":").c_str(), shown(profileValue(f)).c_str());
  }
  std::printf("%-18s %s\n", "Host:", project.profile.host);
  std::printf("\nTargets (%zu):\n", project.engines.size());
  for (std::size_t i = 0; i < project.engines.size(); ++i) {
    const auto& r = *project.engines.at(i);
    std::printf("%-26s %-16s %-4s %2d  %-12s %s\n", shown(r.name).c_str(),
                shown(r.country).c_str(),
                larkspur::core::submitTypeLabel(r.submit_type), r.rank,
                shown(r.submit_state).c_str(),
                shown(r.message).c_str());
    if (!r.health.empty()) {
      std::printf("%-26s health %s (%s) checked %s\n", "", shown(r.health).c_str(), shown(r.health_reason).c_str(),
                  shown(r.health_checked).c_str());
    }
  }
  auto links = project.links.snapshot();
  std::printf("\nLinks (%zu):\n", links.size());
  for (const auto& l : links) {
    std::string rank = l->page_rank == -1 ? "-" : std::to_string(l->page_rank);
    // Links, titles and addresses come from other people's pages.
    std::printf("%s  rank %s", shown(l->url).c_str(), rank.c_str());
    if (!l->link_text.empty()) std::printf("  title \"%s\"", shown(l->link_text).c_str());
    if (!l->email.empty()) std::printf("  email %s", shown(l->email).c_str());
    if (!l->ip.empty()) std::printf("  ip %s", shown(l->ip).c_str());
    if (!l->note.empty()) std::printf("  note \"%s\"", shown(l->note).c_str());
    std::printf("%s\n", importDetailsText(l->details).c_str());
    printCheck(l->details);
  }
  const larkspur::core::AnnounceState& announce = project.announce;
  std::printf("\nIndexNow key: %s\n",
              announce.key.empty() ? "none" : ("kept, for " + shown(announce.keyHost)).c_str());
  std::printf("Announced pages (%zu):\n", announce.announced.size());
  for (const auto& [url, lastmod] : announce.announced) {
    std::printf("%s%s%s\n", shown(url).c_str(), lastmod.empty() ? "" : "  last modified ", shown(lastmod).c_str());
  }
  std::printf("Announcements (%zu):\n", announce.log.size());
  for (const auto& e : announce.log) {
    std::printf("%s  %s  %d URLs  %d  %s\n", shown(e.time).c_str(), shown(e.endpoint).c_str(), e.urlCount, e.code,
                shown(e.answer).c_str());
  }
  return 0;
}

}  // namespace larkspur::cli
