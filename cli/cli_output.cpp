#include "cli/cli_output.h"

#include <cstdio>

#include "core/visible_text.h"

namespace larkspur::cli {

std::string shown(std::string_view text) { return core::visibleText(text); }

bool writeStandardOutput(std::string_view bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) == 0 && written) return true;
  fail("cannot write to standard output");
  return false;
}

int fail(const std::string& text, int code) {
  std::fprintf(stderr, "larkspur-cli: %s\n", shown(text).c_str());
  return code;
}

void warn(const std::string& text) {
  std::fprintf(stderr, "larkspur-cli: warning: %s\n", shown(text).c_str());
}

int usageError(std::string_view usage) {
  std::fprintf(stderr, "larkspur-cli: usage: larkspur-cli %.*s\n", static_cast<int>(usage.size()), usage.data());
  return 2;
}

}  // namespace larkspur::cli
