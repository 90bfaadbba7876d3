// targets: the built-in target list.

#include <cstdio>

#include "cli/arguments.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "core/engine_table.h"
#include "core/fixed_text.h"

namespace larkspur::cli {

const char kTargetsUsage[] =
    "targets\n"
    "      List the built-in targets (name, country, type, rank, submit URL).";

int runTargetsCommand(const Words& words) {
  Arguments args(words, {}, {});
  if (!args.error().empty()) return fail(args.error(), 2);
  if (!args.positional().empty()) return fail("usage: larkspur-cli targets", 2);
  larkspur::core::EngineTable table;
  table.buildFromBuiltIn();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto& r = *table.at(i);
    std::printf("%-26s %-16s %3d %2d  %s\n", r.name.str().c_str(),
                r.country.str().c_str(), r.submit_type, r.rank,
                r.submit_url.str().c_str());
  }
  return 0;
}

}  // namespace larkspur::cli
