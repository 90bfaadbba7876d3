#include "core/link_import.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "core/fixed_text.h"
#include "core/link_record.h"
#include "core/text_check.h"

namespace larkspur::core {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string refusedLinesText(std::size_t refused) {
  return std::to_string(refused) + (refused == 1 ? " line was" : " lines were") +
         " left out: not valid UTF-8, or holding a control character.";
}

std::string_view importedUrl(std::string_view piece) {
  const std::size_t nul = piece.find('\0');
  if (nul != std::string_view::npos) piece = piece.substr(0, nul);
  if (!asciiContainsNoCase(piece, "HTTP")) return {};
  return asciiTrimmed(piece, " \t\r\n");
}

ImportResult importLinks(LinkList& links, const std::filesystem::path& path, int32_t now,
                         std::size_t maxLinks) {
  ImportResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.status = Status::failure(kImportOpenError);
    return result;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    result.status = Status::failure(kImportOpenError);
    return result;
  }

  auto handlePiece = [&](std::string_view piece) {
    std::string_view url = importedUrl(piece);
    if (url.empty()) return true;  // a piece that mentions "HTTP" never trims to nothing
    if (storedTextProblem(url)) {
      ++result.refused;
      return true;
    }
    if (result.added >= maxLinks) {
      result.limitReached = true;
      return false;
    }
    auto record = std::make_shared<LinkRecord>(zeroLinkRecord());
    record->url = url;
    record->add_time = now;
    links.append(std::move(record));
    ++result.added;
    return true;
  };

  std::vector<char> block(1 << 16);
  std::string piece;
  piece.reserve(kImportPieceLength);
  bool going = true;
  while (going) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
    for (std::size_t i = 0; i < got && going; ++i) {
      piece.push_back(block[i]);
      if (block[i] == '\n' || piece.size() == kImportPieceLength) {
        going = handlePiece(piece);
        piece.clear();
      }
    }
    if (got < block.size()) break;
  }
  if (std::ferror(file.get())) {
    // What was read before the failure stays imported.
    if (result.added == 0) result.status = Status::failure(kImportOpenError);
    return result;
  }
  if (going && !piece.empty()) handlePiece(piece);
  return result;
}

}  // namespace larkspur::core
