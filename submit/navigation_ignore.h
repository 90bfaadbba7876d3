#pragma once
// Navigation errors a submission goes on after: 0x800C0005 for every target
// when it concerns a part of the page (a browser reports it for frames and
// other parts of a page that still loads), and the error statuses that
// certain targets answer with on pages that still work. A page whose host
// does not resolve never loads at all, so 0x800C0005 for the page itself
// ends the submission at once instead of leaving it to the time-out.

#include <cstdint>
#include <string_view>

namespace larkspur::submit {

// Whether a navigation error with `code` on the target named `targetName`
// leaves the session running ("Bellnet" and 404, "MSN" and 500, "Exploit"
// and 404, "Freeaddurl" and 400; names compared exactly). `page` is true
// when the error concerns the page itself rather than one of its frames.
bool navigationErrorIgnored(std::string_view targetName, uint32_t code, bool page);

}  // namespace larkspur::submit
