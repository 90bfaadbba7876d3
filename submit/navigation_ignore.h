#pragma once
// Navigation errors a submission goes on after: 0x800C0005 for every target
// (a browser reports it for parts of a page as well), and the error statuses
// that certain targets answer with on pages that still work.

#include <cstdint>
#include <string_view>

namespace larkspur::submit {

// Whether a navigation error with `code` on the target named `targetName`
// leaves the session running ("Bellnet" and 404, "MSN" and 500, "Exploit"
// and 404, "Freeaddurl" and 400; names compared exactly).
bool navigationErrorIgnored(std::string_view targetName, uint32_t code);

}  // namespace larkspur::submit
