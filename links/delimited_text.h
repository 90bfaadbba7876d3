#pragma once
// Reading delimited text (comma-, semicolon- or tab-separated values) the way
// Search Console and backlink tools write it: RFC 4180 quoting (a field in
// double quotes may hold the delimiter, line breaks and doubled quotes), CR LF,
// LF or CR line ends, UTF-8, or UTF-16 little or big endian told by the
// byte-order mark. The bytes are pulled in blocks and one record is held at a
// time, so a file of any size is read in bounded memory.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::links {

// Fills up to `size` bytes of `buffer`; returns how many (0 at the end), or
// -1 when the source cannot be read.
using ByteSource = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

enum class TextEncoding { kUtf8, kUtf16Le, kUtf16Be };

// A record (or a line) longer than this is refused: a quote that is never
// closed would otherwise make the rest of the file one field.
inline constexpr std::size_t kMaxRecordBytes = 1 << 20;
// How much of the start decides whether the bytes are text.
inline constexpr std::size_t kTextSniffBytes = 1024;

// The delimiter of a header line: of comma, semicolon and tab, the one it
// holds most often outside double quotes (a comma when it holds none).
char detectDelimiter(std::string_view headerLine);

class DelimitedTextReader {
 public:
  // Reads the first block: the encoding from the byte-order mark (UTF-8
  // without one), whether the start is text, and the delimiter from the
  // first line.
  explicit DelimitedTextReader(ByteSource source, std::size_t maxRecordBytes = kMaxRecordBytes);

  TextEncoding encoding() const { return encoding_; }
  // Whether the start is no text: a NUL in its first KB, or more than one
  // byte in ten there that is not valid UTF-8 or is a control character other
  // than a tab, a line end, a form feed or an escape.
  bool looksBinary() const { return binary_; }
  char delimiter() const { return delimiter_; }

  // The next record's fields in UTF-8 (a blank line is one empty field);
  // false at the end or when something went wrong (see error()).
  bool nextRecord(std::vector<std::string>& fields);
  // The next line in UTF-8 without its line end and without reading quotes;
  // a longer line than the record limit comes in pieces of that length.
  bool nextLine(std::string& line);

  // Empty, or why reading stopped before the end: "line 12: a record longer
  // than 1 MB (a quote that is never closed?)", "the file could not be read".
  const std::string& error() const { return error_; }
  // The line the last record started on, from 1.
  std::size_t recordLine() const { return recordLine_; }

 private:
  // Decodes another block into text_; false at the end or on a read error.
  bool fill();
  void decode(const char* bytes, std::size_t size, bool last);

  ByteSource source_;
  std::vector<char> block_;  // the bytes of one read
  std::size_t maxRecordBytes_;
  TextEncoding encoding_ = TextEncoding::kUtf8;
  bool binary_ = false;
  char delimiter_ = ',';
  bool started_ = false;
  bool ended_ = false;

  std::string text_;  // decoded text not yet read, from pos_
  std::size_t pos_ = 0;
  std::string carry_;        // bytes of an unfinished UTF-16 code unit
  char16_t highSurrogate_ = 0;

  std::string error_;
  std::size_t line_ = 1;
  std::size_t recordLine_ = 0;
  bool pendingCr_ = false;  // a CR ended the last record: a LF right after it belongs to it
};

}  // namespace larkspur::links
