#pragma once
// A text of a record, held as a std::string and bounded as the record's
// fields are in the file formats: it never holds more than Capacity - 1
// bytes (the formats keep a terminator), it ends at an embedded NUL, and a
// longer value is cut without splitting a UTF-8 sequence — exactly as the
// fixed fields of the formats cut it.

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "core/fixed_text.h"

namespace larkspur::core {

template <std::size_t Capacity>
class BoundedText {
 public:
  static_assert(Capacity > 0);
  // Bytes of the field in the file formats, terminator included.
  static constexpr std::size_t kCapacity = Capacity;

  BoundedText() = default;
  BoundedText(std::string_view text) { assign(text); }  // NOLINT: a text is a text
  BoundedText(const char* text) { assign(text); }       // NOLINT
  BoundedText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }
  BoundedText& operator=(const char* text) { return *this = std::string_view(text); }
  BoundedText& operator=(const std::string& text) { return *this = std::string_view(text); }
  // A text that already fits is taken over as it is.
  BoundedText& operator=(std::string&& text) {
    if (text.size() < Capacity && text.find('\0') == std::string::npos) {
      text_ = std::move(text);
    } else {
      assign(text);
    }
    return *this;
  }

  // Stores `text` bounded as above; false when it was cut.
  bool assign(std::string_view text) {
    const std::size_t whole = text.size();
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    text_.assign(text.substr(0, fittingLength(text, Capacity)));
    return text_.size() == whole;
  }

  const std::string& str() const { return text_; }
  std::string_view view() const { return text_; }
  operator std::string_view() const { return text_; }  // NOLINT
  const char* c_str() const { return text_.c_str(); }
  bool empty() const { return text_.empty(); }
  std::size_t size() const { return text_.size(); }
  void clear() { text_.clear(); }

  friend bool operator==(const BoundedText& a, const BoundedText& b) { return a.text_ == b.text_; }
  friend bool operator==(const BoundedText& a, std::string_view b) { return a.text_ == b; }
  friend bool operator==(const BoundedText& a, const char* b) { return a.text_ == b; }
  friend std::ostream& operator<<(std::ostream& out, const BoundedText& text) { return out << text.text_; }

 private:
  std::string text_;
};

}  // namespace larkspur::core
