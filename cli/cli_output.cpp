#include "cli/cli_output.h"

#include <cstdio>

namespace larkspur::cli {

int fail(const std::string& text, int code) {
  std::fprintf(stderr, "larkspur-cli: %s\n", text.c_str());
  return code;
}

void warn(const std::string& text) {
  std::fprintf(stderr, "larkspur-cli: warning: %s\n", text.c_str());
}

}  // namespace larkspur::cli
