#pragma once
// --service-base URL: where the search, toolbar and update services are
// asked, for mirrors and local test services.

#include <string>

#include "cli/arguments.h"

namespace larkspur::cli {

// Applies the option when given. Returns 0, or the usage error's exit code
// after reporting it under the command's name.
int applyServiceBaseOption(const Arguments& args, const std::string& command);

}  // namespace larkspur::cli
