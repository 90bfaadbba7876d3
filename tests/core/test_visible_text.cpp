#include "core/visible_text.h"

#include <gtest/gtest.h>

#include <string>

namespace larkspur::core {
namespace {

TEST(VisibleText, ControlCharactersAndStrayBytesBecomeVisibleSymbols) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain text, caf\xC3\xA9 \xE6\xBC\xA2", "plain text, caf\xC3\xA9 \xE6\xBC\xA2"},
      {"\x1B]0;owned\x07title", "\xE2\x90\x9B]0;owned\xE2\x90\x87title"},  // ESC ... BEL
      {"a\tb\nc\rd", "a\xE2\x90\x89" "b\xE2\x90\x8A" "c\xE2\x90\x8D" "d"},
      {std::string("nul\0x", 5), "nul\xE2\x90\x80x"},
      {"del\x7F", "del\xE2\x90\xA1"},
      {"csi\xC2\x9B" "2J", "csi\xEF\xBF\xBD" "2J"},   // C1 CSI as a character
      {"raw\x9B" "2J", "raw\xEF\xBF\xBD" "2J"},        // C1 CSI as a stray byte
      {"cut\xE6\xBC", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},  // a sequence broken off
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in), c.out);
}

}  // namespace
}  // namespace larkspur::core
