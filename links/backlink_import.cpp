#include "links/backlink_import.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <unordered_map>
#include <utility>
#include <variant>

#include "core/ascii_text.h"
#include "core/link_record.h"
#include "core/text_check.h"
#include "core/visible_text.h"
#include "links/delimited_text.h"

namespace larkspur::links {

namespace {

constexpr char kNothingImported[] = ": nothing was imported.";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

BacklinkImport failed(std::string message) {
  BacklinkImport result;
  result.status = core::Status::failure(std::move(message));
  return result;
}

// "200 MB", "2.3 GB".
std::string sizeText(std::uintmax_t bytes) {
  const bool gigabytes = bytes >= (std::uintmax_t{1} << 30);
  const double value = static_cast<double>(bytes) / (gigabytes ? (1 << 30) : (1 << 20));
  char text[32];
  const bool whole = value == static_cast<double>(static_cast<std::uintmax_t>(value));
  std::snprintf(text, sizeof text, whole ? "%.0f %s" : "%.1f %s", value, gigabytes ? "GB" : "MB");
  return text;
}

ByteSource fileSource(std::FILE* file) {
  return [file](char* buffer, std::size_t size) -> std::ptrdiff_t {
    const std::size_t got = std::fread(buffer, 1, size, file);
    if (got == 0 && std::ferror(file)) return -1;
    return static_cast<std::ptrdiff_t>(got);
  };
}

// The first record that is not blank. A start that cannot be read as a
// record (a quote never closed) is no header: such a file is no table.
bool readHeader(DelimitedTextReader& reader, std::vector<std::string>& header) {
  while (reader.nextRecord(header)) {
    if (!blankRow(header)) return true;
  }
  header.clear();
  return false;
}

// The rows of one import, gathered before the list changes.
class RowCollector {
 public:
  RowCollector(const core::LinkList& links, const BacklinkImportOptions& options, BacklinkImport& result)
      : options_(options), result_(result) {
    const std::vector<core::LinkList::Ptr> records = links.snapshot();
    links.withLock([&] {
      for (const core::LinkList::Ptr& record : records) {
        existing_.try_emplace(std::string(core::asciiTrimmed(record->url.view())), Known{record, {}, false});
      }
    });
  }

  // Takes one row; false once the limit of new links is reached.
  bool take(const BacklinkColumns& columns, const std::vector<std::string>& fields) {
    if (blankRow(fields)) return true;
    std::variant<BacklinkRow, LeftOut> read = readBacklinkRow(columns, fields, options_.websiteHost);
    if (const LeftOut* reason = std::get_if<LeftOut>(&read)) {
      ++result_.rows;
      ++result_.leftOut[static_cast<std::size_t>(*reason)];
      return true;
    }
    BacklinkRow& row = std::get<BacklinkRow>(read);
    if (auto known = existing_.find(row.url); known != existing_.end()) {
      ++result_.rows;
      ++(known->second.seen ? result_.repeated : result_.alreadyThere);
      known->second.seen = true;
      fillEmptyDetails(known->second.incoming, row.details);
      return true;
    }
    if (auto earlier = freshIndex_.find(row.url); earlier != freshIndex_.end()) {
      ++result_.rows;
      ++result_.repeated;
      fillEmptyDetails(fresh_[earlier->second].details, row.details);
      return true;
    }
    if (fresh_.size() >= options_.maxLinks) {
      result_.limitReached = true;
      return false;
    }
    ++result_.rows;
    freshIndex_.emplace(row.url, fresh_.size());
    fresh_.push_back(std::move(row));
    return true;
  }

  // Reads the rows after the header; false (with the reason) when the table
  // could not be read to its end or the limit was reached.
  bool takeAll(DelimitedTextReader& reader, const BacklinkColumns& columns) {
    std::vector<std::string> fields;
    while (reader.nextRecord(fields)) {
      if (!take(columns, fields)) return false;
    }
    return reader.error().empty();
  }

  void applyTo(core::LinkList& links) {
    for (auto& [url, known] : existing_) {
      if (!known.seen) continue;
      if (links.withLock([&] { return fillEmptyDetails(known.record->details, known.incoming); })) {
        ++result_.detailsFilled;
      }
    }
    for (BacklinkRow& row : fresh_) {
      auto record = std::make_shared<core::LinkRecord>(core::zeroLinkRecord());
      record->url = std::move(row.url);
      record->add_time = options_.now;
      record->details = std::move(row.details);
      links.append(std::move(record));
      ++result_.added;
    }
  }

 private:
  struct Known {
    core::LinkList::Ptr record;
    core::LinkDetails incoming;  // what the rows of its page said
    bool seen = false;
  };

  const BacklinkImportOptions& options_;
  BacklinkImport& result_;
  std::unordered_map<std::string, Known> existing_;
  std::vector<BacklinkRow> fresh_;
  std::unordered_map<std::string, std::size_t> freshIndex_;
};

std::string notTextSentence() {
  return "The file is neither text nor a zip archive (it holds NUL bytes or bytes that are not text at its "
         "start)" +
         std::string(kNothingImported);
}

std::string tableErrorSentence(const std::string& where, const std::string& error) {
  return where + " could not be read to its end (" + error + ")" + kNothingImported;
}

// A UTF-16 file without a known header, read as the text import reads a
// UTF-8 one: every piece of a line that holds "http" becomes a link.
core::ImportResult importUtf16Lines(core::LinkList& links, DelimitedTextReader& reader,
                                    const BacklinkImportOptions& options) {
  core::ImportResult result;
  std::string line;
  while (reader.nextLine(line)) {
    for (std::size_t at = 0; at < line.size(); at += core::kImportPieceLength) {
      const std::string_view url = core::importedUrl(std::string_view(line).substr(at, core::kImportPieceLength));
      if (url.empty()) continue;
      if (core::storedTextProblem(url)) {
        ++result.refused;
        continue;
      }
      if (result.added >= options.maxLinks) {
        result.limitReached = true;
        return result;
      }
      auto record = std::make_shared<core::LinkRecord>(core::zeroLinkRecord());
      record->url = url;
      record->add_time = options.now;
      links.append(std::move(record));
      ++result.added;
    }
  }
  if (!reader.error().empty() && result.added == 0) result.status = core::Status::failure(core::kImportOpenError);
  return result;
}

BacklinkImport importPlainText(core::LinkList& links, const std::filesystem::path& path, std::FILE* file,
                               TextEncoding encoding, const BacklinkImportOptions& options) {
  BacklinkImport result;
  result.plainText = true;
  if (encoding == TextEncoding::kUtf8) {
    result.plain = core::importLinks(links, path, options.now, options.maxLinks);
  } else {
    std::rewind(file);
    DelimitedTextReader reader(fileSource(file));
    result.plain = importUtf16Lines(links, reader, options);
  }
  result.status = result.plain.status;
  if (result.status.ok() && result.plain.added == 0 && result.plain.refused == 0) {
    return failed(
        "The file holds no links: no line has \"http\" in it, and its first line is not the header of a known "
        "backlink export (such as Search Console's \"Latest links\" table)" +
        std::string(kNothingImported));
  }
  return result;
}

BacklinkImport importZip(core::LinkList& links, const std::filesystem::path& path,
                         const BacklinkImportOptions& options) {
  BacklinkImport result;
  ZipEntries zip;
  if (core::Status opened = zip.open(path, options.zip); !opened.ok()) return failed(opened.message);
  RowCollector collector(links, options, result);
  auto skip = [&](const ZipFile& file, const std::string& why) {
    result.skippedEntries.push_back("\"" + file.name + "\" (" + why + ")");
  };
  for (const ZipFile& file : zip.files()) {
    if (result.limitReached) {
      skip(file, "not read: the limit of links was reached");
      continue;
    }
    if (file.encrypted) {
      skip(file, "encrypted");
      continue;
    }
    std::string error;
    ByteSource source = zip.read(file, error);
    if (!source) {
      skip(file, core::visibleText(error));
      continue;
    }
    DelimitedTextReader reader(std::move(source));
    std::vector<std::string> header;
    const bool hasHeader = !reader.looksBinary() && readHeader(reader, header);
    if (zip.limitPassed()) return failed(zipTooLargeText(options.zip.maxTotalBytes));
    if (!hasHeader) {
      skip(file, reader.looksBinary()      ? "not text"
                 : reader.error().empty() ? "empty"
                                          : "not read: " + reader.error());
      continue;
    }
    const BacklinkColumns columns = recogniseHeader(header);
    switch (columns.kind) {
      case BacklinkTableKind::kUnknown:
        skip(file, "no column of linking pages");
        continue;
      case BacklinkTableKind::kOwnPages:
        skip(file, "pages of your own site");
        continue;
      case BacklinkTableKind::kLinkingSites:
        skip(file, "linking sites, not pages: import it on its own to add their home pages");
        continue;
      case BacklinkTableKind::kLinkingPages:
        break;
    }
    if (!collector.takeAll(reader, columns) && !result.limitReached) {
      if (zip.limitPassed()) return failed(zipTooLargeText(options.zip.maxTotalBytes));
      return failed(tableErrorSentence("The entry \"" + file.name + "\"", reader.error()));
    }
    result.usedEntries.push_back("\"" + file.name + "\"");
  }
  if (result.usedEntries.empty()) {
    std::string skipped;
    for (const std::string& entry : result.skippedEntries) skipped += (skipped.empty() ? "" : ", ") + entry;
    return failed("The zip archive holds no table of linking pages" +
                  (skipped.empty() ? std::string() : " (" + skipped + ")") + kNothingImported);
  }
  collector.applyTo(links);
  return result;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : ", ") + part;
  return out;
}

}  // namespace

BacklinkImport importBacklinkFile(core::LinkList& links, const std::filesystem::path& path,
                                  const BacklinkImportOptions& options) {
  std::error_code ec;
  // Only regular files: a device or a pipe could feed the import forever.
  if (!std::filesystem::is_regular_file(path, ec)) return failed(core::kImportOpenError);
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return failed(core::kImportOpenError);
  if (size > options.fileLimit) {
    return failed("The file is " + sizeText(size) + "; an import reads files of at most " +
                  sizeText(options.fileLimit) + kNothingImported);
  }
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return failed(core::kImportOpenError);

  char magic[4] = {};
  if (std::fread(magic, 1, sizeof magic, file.get()) == sizeof magic &&
      (std::memcmp(magic, "PK\x03\x04", 4) == 0 || std::memcmp(magic, "PK\x05\x06", 4) == 0)) {
    file.reset();
    return importZip(links, path, options);
  }
  std::rewind(file.get());
  DelimitedTextReader reader(fileSource(file.get()));
  if (reader.looksBinary()) return failed(notTextSentence());
  std::vector<std::string> header;
  readHeader(reader, header);

  const BacklinkColumns columns = recogniseHeader(header);
  switch (columns.kind) {
    case BacklinkTableKind::kUnknown:
      return importPlainText(links, path, file.get(), reader.encoding(), options);
    case BacklinkTableKind::kOwnPages:
      return failed(ownPagesRefusal(columns));
    case BacklinkTableKind::kLinkingPages:
    case BacklinkTableKind::kLinkingSites:
      break;
  }
  BacklinkImport result;
  RowCollector collector(links, options, result);
  if (!collector.takeAll(reader, columns) && !result.limitReached) {
    return failed(tableErrorSentence("The file", reader.error()));
  }
  collector.applyTo(links);
  return result;
}

std::string importSummary(const BacklinkImport& imported) {
  std::string out;
  if (!imported.usedEntries.empty()) out += "From the zip archive: used " + joined(imported.usedEntries);
  if (!imported.skippedEntries.empty()) out += "; skipped " + joined(imported.skippedEntries);
  if (!out.empty()) out += ".\n";

  out += "Read " + std::to_string(imported.rows) + (imported.rows == 1 ? " row: " : " rows: ") +
         std::to_string(imported.added) + " added";
  if (imported.alreadyThere > 0) out += ", " + std::to_string(imported.alreadyThere) + " already in the list";
  if (imported.repeated > 0) out += ", " + std::to_string(imported.repeated) + " repeating an earlier row";
  const std::size_t leftOut = std::accumulate(imported.leftOut.begin(), imported.leftOut.end(), std::size_t{0});
  if (leftOut > 0) {
    std::vector<std::string> reasons;
    for (std::size_t i = 0; i < kLeftOutReasons; ++i) {
      if (imported.leftOut[i] > 0) reasons.push_back(leftOutText(static_cast<LeftOut>(i), imported.leftOut[i]));
    }
    out += ", " + std::to_string(leftOut) + " left out (" + joined(reasons) + ")";
  }
  out += ".";
  if (imported.detailsFilled > 0) {
    const bool one = imported.detailsFilled == 1;
    out += " " + std::to_string(imported.detailsFilled) +
           (one ? " link already in the list got its" : " links already in the list got their") +
           " missing details from the file.";
  }
  if (imported.limitReached) {
    out += " One import adds at most " + std::to_string(core::kImportMaxLinks) + " links: the rest was skipped.";
  }
  return out;
}

}  // namespace larkspur::links
