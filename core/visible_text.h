#pragma once
// Texts that came from other people's pages (link titles, addresses, e-mail
// addresses, server messages) shown to the user: a terminal takes control
// characters as commands (an ESC sequence can rewrite the screen or the
// window title) and a list cell would break its line. Files keep the bytes;
// only what is shown goes through here.

#include <string>
#include <string_view>

namespace larkspur::core {

// `text` with every control character (C0, DEL and C1, tabs and line breaks
// included) shown as its visible symbol from the Control Pictures block
// (U+2400 ...; C1 characters as U+FFFD) and every byte that is not part of
// valid UTF-8 as U+FFFD.
std::string visibleText(std::string_view text);

// The same for texts written into files (reports, exports) that may hold
// several lines: tabs and line breaks stay as they are, every other control
// character becomes visible, never raw.
std::string visibleControls(std::string_view text);

}  // namespace larkspur::core
