#include "health/registrable_domain.h"

#include <arpa/inet.h>
#include <libpsl.h>

#include "core/ascii_text.h"

namespace larkspur::health {

namespace {

// The system's list when installed (Debian's publicsuffix), else libpsl's own.
const psl_ctx_t* suffixList() {
  static const psl_ctx_t* const list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

bool isAddress(const std::string& host) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, host.c_str(), bytes) == 1 || inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

}  // namespace

std::string registrableDomain(std::string_view host) {
  std::string name = core::asciiLower(host);
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  if (name.empty() || isAddress(name)) return name;
  const psl_ctx_t* list = suffixList();
  const char* domain = list ? psl_registrable_domain(list, name.c_str()) : nullptr;
  return domain ? std::string(domain) : name;
}

}  // namespace larkspur::health
