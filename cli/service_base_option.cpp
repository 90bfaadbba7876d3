#include "cli/service_base_option.h"

#include <optional>

#include "cli/cli_output.h"
#include "core/service_hosts.h"

namespace larkspur::cli {

int applyServiceBaseOption(const Arguments& args, const std::string& command) {
  std::optional<std::string> base = args.value("service-base");
  if (!base) return 0;
  if (!core::setServiceBase(*base)) {
    return fail(command + ": --service-base wants scheme://host[:port] with http or https, not '" + *base + "'", 2);
  }
  return 0;
}

}  // namespace larkspur::cli
