// The "%URL%" placeholder of direct-request targets.

#include <gtest/gtest.h>

#include <string>

#include "submit/hint_expansion.h"

namespace larkspur::submit {
namespace {

TEST(HintExpansion, EncodesColonSlashAndSpaceOnly) {
  EXPECT_EQ(expandSubmitHint("http://www.accon.de/add.php?u=%URL%", "http://www.example.com/"),
            "http://www.accon.de/add.php?u=http%3A%2F%2Fwww.example.com%2F");
  EXPECT_EQ(encodeUrlForHint("http://a b.com/x?y=1&z=%41#f"), "http%3A%2F%2Fa%20b.com%2Fx?y=1&z=%41#f");
}

TEST(HintExpansion, OnlyTheFirstPlaceholderAndTextAroundUnchanged) {
  EXPECT_EQ(expandSubmitHint("a%URL%b%URL%c", "x:y"), "ax%3Ayb%URL%c");
  EXPECT_EQ(expandSubmitHint("no placeholder %url%", "http://x/"), "no placeholder %url%");
  EXPECT_EQ(expandSubmitHint("%URL%", ""), "");
}

TEST(HintExpansion, CutAt512BytesWithTerminator) {
  const std::string hint = "http://t.example/?u=%URL%";
  const std::string url = "http://www.example.com/" + std::string(600, 'a');
  const std::string out = expandSubmitHint(hint, url);
  EXPECT_EQ(out.size(), kExpandedHintCapacity - 1);
  EXPECT_EQ(out.substr(0, 40), "http://t.example/?u=http%3A%2F%2Fwww.exa");

  // A cut never splits a UTF-8 sequence.
  const std::string wide = expandSubmitHint(std::string(509, 'h') + "%URL%", "\u00E9\u00E9");
  EXPECT_EQ(wide, std::string(509, 'h') + "\u00E9");
}

}  // namespace
}  // namespace larkspur::submit
