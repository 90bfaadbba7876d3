#pragma once
// larkspur-cli services show | set NAME KEY | clear NAME: the user's keys for
// the outside services (core/service_keys.h), never printed whole.

#include <string>
#include <vector>

#include "core/service_keys.h"

namespace larkspur::cli {

// The usage lines of the services command.
extern const char kServicesUsage[];

// `args` are the words after "services". Returns 0 on success, 1 when the
// key file could not be read or written, 2 on a usage error.
int runServicesCommand(const std::vector<std::string>& args);

// The key a job uses (the environment's, else the file's; empty when none),
// with what had to be said of the file printed as warnings.
std::string serviceKeyFor(core::KeyedService service);

}  // namespace larkspur::cli
