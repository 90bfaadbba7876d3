#pragma once
// The tests that read one element of a parsed page: a row of their tables and
// the way to the element.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "web/document.h"

namespace larkspur::test {

// A row: the HTML, the tag of the element read, what is expected of it.
struct ElementCase {
  const char* html;
  const char* tag;
  const char* expected;
};

// Index of the nth element with `tag` in `doc`; a test failure and 0 where
// there is none.
inline std::size_t elementTagged(const web::Document& doc, const std::string& tag, int nth = 0) {
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc.at(i).tag == tag && nth-- == 0) return i;
  }
  ADD_FAILURE() << "no " << tag;
  return 0;
}

}  // namespace larkspur::test
