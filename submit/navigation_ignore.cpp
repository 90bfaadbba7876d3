#include "submit/navigation_ignore.h"

namespace larkspur::submit {

namespace {

struct Exception {
  std::string_view name;
  uint32_t code;
};

constexpr uint32_t kResourceNotFound = 0x800C0005;

constexpr Exception kExceptions[] = {
    {"Bellnet", 404},
    {"MSN", 500},
    {"Exploit", 404},
    {"Freeaddurl", 400},
};

}  // namespace

bool navigationErrorIgnored(std::string_view targetName, uint32_t code, bool page) {
  if (code == kResourceNotFound) return !page;
  for (const Exception& e : kExceptions) {
    if (e.name == targetName && e.code == code) return true;
  }
  return false;
}

}  // namespace larkspur::submit
