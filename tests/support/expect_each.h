#pragma once
// Table checks: a function of a text against the value each input should give.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <utility>

namespace larkspur::test {

// Expects `f(input)` to equal `expected` for every row, naming the input
// where it does not.
template <class F>
void expectEach(F&& f, std::initializer_list<std::pair<const char*, const char*>> rows) {
  for (const auto& [input, expected] : rows) EXPECT_EQ(f(input), std::string_view(expected)) << input;
}

}  // namespace larkspur::test
