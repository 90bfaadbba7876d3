#include "links/delimited_text.h"

#include <algorithm>
#include <array>

#include "core/utf8.h"

namespace larkspur::links {

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;
constexpr char32_t kReplacement = 0xFFFD;

bool isTextControl(char32_t cp) { return cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == 0x1B; }

// See DelimitedTextReader::looksBinary. `cut`: the text goes on after
// `start`, so a character split at its end is not counted.
bool looksLikeBinary(std::string_view start, bool cut) {
  if (start.find('\0') != std::string_view::npos) return true;
  std::size_t characters = 0;
  std::size_t bad = 0;
  for (std::size_t i = 0; i < start.size();) {
    char32_t cp = 0;
    const std::size_t length = core::decodeUtf8At(start, i, cp);
    if (length == 0 && cut && start.size() - i < 4) break;
    ++characters;
    if (length == 0) {
      ++bad;
      ++i;
      continue;
    }
    if ((cp < 0x20 && !isTextControl(cp)) || cp == 0x7F || cp == kReplacement) ++bad;
    i += length;
  }
  return bad * 10 > characters;
}

std::string tooLongText(std::size_t line, std::size_t limit) {
  return "line " + std::to_string(line) + ": a record longer than " + std::to_string(limit >> 20) +
         " MB (a quote that is never closed?)";
}

}  // namespace

char detectDelimiter(std::string_view headerLine) {
  std::array<std::size_t, 3> counts{};
  constexpr std::array<char, 3> kDelimiters{',', ';', '\t'};
  bool quoted = false;
  for (char c : headerLine) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    for (std::size_t i = 0; i < kDelimiters.size(); ++i) counts[i] += c == kDelimiters[i];
  }
  const auto most = std::max_element(counts.begin(), counts.end());  // the first of equals: comma before the others
  return *most == 0 ? ',' : kDelimiters[static_cast<std::size_t>(most - counts.begin())];
}

DelimitedTextReader::DelimitedTextReader(ByteSource source, std::size_t maxRecordBytes)
    : source_(std::move(source)), maxRecordBytes_(maxRecordBytes) {
  // The byte-order mark and the text test want the first KB whole, however
  // the source hands it out.
  std::string head;
  std::vector<char>& block = block_;
  block.resize(kBlockBytes);
  while (head.size() < kTextSniffBytes + 3) {
    const std::ptrdiff_t got = source_(block.data(), block.size());
    if (got < 0) {
      error_ = "the file could not be read";
      ended_ = true;
      break;
    }
    if (got == 0) {
      ended_ = true;
      break;
    }
    head.append(block.data(), static_cast<std::size_t>(got));
  }
  std::string_view bytes = head;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  } else if (bytes.starts_with("\xFF\xFE")) {
    encoding_ = TextEncoding::kUtf16Le;
    bytes.remove_prefix(2);
  } else if (bytes.starts_with("\xFE\xFF")) {
    encoding_ = TextEncoding::kUtf16Be;
    bytes.remove_prefix(2);
  }
  started_ = true;
  decode(bytes.data(), bytes.size(), ended_);
  const std::size_t sniffed = encoding_ == TextEncoding::kUtf8 ? kTextSniffBytes : kTextSniffBytes * 3 / 2;
  binary_ = looksLikeBinary(std::string_view(text_).substr(0, sniffed), !ended_ || text_.size() > sniffed);

  // The first line, for its delimiter.
  while (text_.find_first_of("\r\n") == std::string::npos && text_.size() < maxRecordBytes_ && !ended_) {
    const std::ptrdiff_t got = source_(block.data(), block.size());
    if (got < 0) error_ = "the file could not be read";
    if (got <= 0) ended_ = true;
    decode(block.data(), got > 0 ? static_cast<std::size_t>(got) : 0, ended_);
  }
  delimiter_ = detectDelimiter(std::string_view(text_).substr(0, text_.find_first_of("\r\n")));
}

void DelimitedTextReader::decode(const char* bytes, std::size_t size, bool last) {
  if (encoding_ == TextEncoding::kUtf8) {
    text_.append(bytes, size);
    return;
  }
  carry_.append(bytes, size);
  std::size_t i = 0;
  for (; i + 1 < carry_.size(); i += 2) {
    const auto first = static_cast<unsigned char>(carry_[i]);
    const auto second = static_cast<unsigned char>(carry_[i + 1]);
    const char16_t unit = encoding_ == TextEncoding::kUtf16Le ? static_cast<char16_t>(first | (second << 8))
                                                              : static_cast<char16_t>((first << 8) | second);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (highSurrogate_ != 0) {
      if (low) {
        core::appendUtf8(0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00), text_);
        highSurrogate_ = 0;
        continue;
      }
      core::appendUtf8(kReplacement, text_);
      highSurrogate_ = 0;
    }
    if (high) {
      highSurrogate_ = unit;
    } else {
      core::appendUtf8(low ? kReplacement : unit, text_);
    }
  }
  carry_.erase(0, i);
  if (last && (!carry_.empty() || highSurrogate_ != 0)) {
    core::appendUtf8(kReplacement, text_);
    carry_.clear();
    highSurrogate_ = 0;
  }
}

bool DelimitedTextReader::fill() {
  text_.erase(0, pos_);
  pos_ = 0;
  std::vector<char>& block = block_;
  while (text_.empty() && !ended_) {
    const std::ptrdiff_t got = source_(block.data(), block.size());
    if (got < 0) error_ = "the file could not be read";
    if (got <= 0) ended_ = true;
    decode(block.data(), got > 0 ? static_cast<std::size_t>(got) : 0, ended_);
  }
  return !text_.empty();
}

bool DelimitedTextReader::nextRecord(std::vector<std::string>& fields) {
  fields.clear();
  if (!error_.empty()) return false;
  enum class State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };
  State state = State::kFieldStart;
  std::string field;
  std::size_t bytes = 0;
  bool any = false;
  recordLine_ = line_;
  for (;;) {
    if (pos_ == text_.size() && !fill()) {
      if (!error_.empty()) return false;
      if (state == State::kQuoted) {
        error_ = "line " + std::to_string(recordLine_) + ": a quote that is never closed";
        return false;
      }
      if (!any) return false;
      fields.push_back(std::move(field));
      return true;
    }
    const char c = text_[pos_++];
    if (pendingCr_) {
      pendingCr_ = false;
      if (c == '\n') continue;
    }
    if (++bytes > maxRecordBytes_) {
      error_ = tooLongText(recordLine_, maxRecordBytes_);
      return false;
    }
    any = true;
    if (state == State::kQuoteInQuoted) {
      if (c == '"') {
        field += '"';
        state = State::kQuoted;
        continue;
      }
      state = State::kUnquoted;  // what follows the closing quote is kept as it is
    }
    if (state == State::kQuoted) {
      if (c == '"') {
        state = State::kQuoteInQuoted;
      } else {
        field += c;
        if (c == '\n') ++line_;
      }
      continue;
    }
    if (state == State::kFieldStart && c == '"') {
      state = State::kQuoted;
      continue;
    }
    if (c == delimiter_) {
      fields.push_back(std::move(field));
      field.clear();
      state = State::kFieldStart;
    } else if (c == '\n' || c == '\r') {
      ++line_;
      pendingCr_ = c == '\r';
      fields.push_back(std::move(field));
      return true;
    } else {
      field += c;
      state = State::kUnquoted;
    }
  }
}

bool DelimitedTextReader::nextLine(std::string& line) {
  line.clear();
  if (!error_.empty()) return false;
  bool any = false;
  for (;;) {
    if (pos_ == text_.size() && !fill()) return error_.empty() && any;
    const char c = text_[pos_++];
    any = true;
    if (c == '\n') {
      ++line_;
      if (line.ends_with('\r')) line.pop_back();
      return true;
    }
    line += c;
    if (line.size() == maxRecordBytes_) return true;
  }
}

}  // namespace larkspur::links
