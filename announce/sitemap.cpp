#include "announce/sitemap.h"

#include <libxml/xmlreader.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "core/ascii_text.h"

namespace larkspur::announce {

namespace {

using core::asciiLower;
using core::asciiTrimmed;

std::string withThousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
  return digits;
}

struct ReaderDeleter {
  void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};

// Keeps the parser's first error message instead of printing it.
void onXmlError(void* user, xmlErrorPtr error) {
  auto* message = static_cast<std::string*>(user);
  if (!message->empty() || !error || !error->message) return;
  *message = std::string(asciiTrimmed(error->message)) + " (line " + std::to_string(error->line) + ")";
}

std::string nameOf(xmlTextReader* reader) {
  const xmlChar* name = xmlTextReaderConstLocalName(reader);
  return name ? reinterpret_cast<const char*>(name) : "";
}

}  // namespace

RobotsFacts parseRobots(std::string_view text) {
  RobotsFacts facts;
  bool groupForAll = false;
  bool inRules = false;  // a rule line has been seen since the last User-agent
  bool disallowsRoot = false;
  bool allowsRoot = false;
  auto closeGroup = [&] {
    if (groupForAll && disallowsRoot && !allowsRoot) facts.blocksEveryone = true;
    groupForAll = disallowsRoot = allowsRoot = false;
  };
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string field = asciiLower(asciiTrimmed(line.substr(0, colon)));
    const std::string_view value = asciiTrimmed(line.substr(colon + 1));
    if (field == "sitemap") {
      if (!value.empty()) facts.sitemaps.emplace_back(value);
    } else if (field == "user-agent") {
      if (inRules) {
        closeGroup();
        inRules = false;
      }
      if (value == "*") groupForAll = true;
    } else if (field == "disallow") {
      inRules = true;
      if (value == "/") disallowsRoot = true;
    } else if (field == "allow") {
      inRules = true;
      if (value == "/") allowsRoot = true;
    }
  }
  closeGroup();
  return facts;
}

bool looksGzipped(std::string_view bytes, std::string_view name) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
      static_cast<unsigned char>(bytes[1]) == 0x8b) {
    return true;
  }
  name = name.substr(0, name.find_first_of("?#"));
  return name.size() >= 3 && core::asciiEqualsNoCase(name.substr(name.size() - 3), ".gz");
}

core::Status inflateGzip(std::string_view compressed, std::size_t maxBytes, std::string& out) {
  out.clear();
  z_stream z{};
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return core::Status::failure("the gzip decoder could not start");
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  char chunk[64 * 1024];
  while (true) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    int rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = sizeof chunk - z.avail_out;
    if (out.size() + produced > maxBytes) {
      return core::Status::failure("it is larger than " + withThousands(maxBytes / (1024 * 1024)) +
                                   " MB once uncompressed");
    }
    out.append(chunk, produced);
    if (rc == Z_STREAM_END) return core::Status::success();
    if (rc == Z_BUF_ERROR && z.avail_in == 0) return core::Status::failure("the gzip data are cut short");
    if (rc != Z_OK) {
      return core::Status::failure(std::string("it is not valid gzip data (") + (z.msg ? z.msg : "corrupt") + ")");
    }
  }
}

core::Status readSitemap(std::string_view bytes, std::string_view name, SitemapContent& out) {
  out = SitemapContent{};
  std::string inflated;
  if (looksGzipped(bytes, name)) {
    core::Status s = inflateGzip(bytes, kMaxSitemapBytes, inflated);
    if (!s.ok()) return s;
    bytes = inflated;
  } else if (bytes.size() > kMaxSitemapBytes) {
    return core::Status::failure("it is larger than 50 MB");
  }
  if (bytes.empty()) return core::Status::failure("it is empty");

  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
  // No network, no entity substitution, no DTD loading: a sitemap needs none.
  std::unique_ptr<xmlTextReader, ReaderDeleter> reader(
      xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT));
  if (!reader) return core::Status::failure("the XML reader could not start");
  std::string xmlError;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), onXmlError, &xmlError);

  std::string root;
  std::string entryElement;  // "url" or "sitemap"
  bool inEntry = false;
  std::string field;         // "loc" or "lastmod" while inside one
  PageUrl current;
  int rc;
  while ((rc = xmlTextReaderRead(reader.get())) == 1) {
    const int type = xmlTextReaderNodeType(reader.get());
    if (type == XML_READER_TYPE_ELEMENT) {
      std::string element = nameOf(reader.get());
      const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
      if (root.empty()) {
        root = element;
        if (root == "urlset") {
          entryElement = "url";
        } else if (root == "sitemapindex") {
          entryElement = "sitemap";
          out.isIndex = true;
        } else {
          return core::Status::failure("it is not a sitemap (its root element is <" + root + ">)");
        }
        continue;
      }
      if (!inEntry && element == entryElement && xmlTextReaderDepth(reader.get()) == 1) {
        inEntry = !empty;
        current = PageUrl{};
      } else if (inEntry && (element == "loc" || element == "lastmod") && !empty) {
        field = element;
      }
    } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA) {
      if (!inEntry || field.empty()) continue;
      const xmlChar* value = xmlTextReaderConstValue(reader.get());
      std::string& target = field == "loc" ? current.url : current.lastmod;
      if (value) target += reinterpret_cast<const char*>(value);
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      std::string element = nameOf(reader.get());
      if (inEntry && element == field) {
        field.clear();
      } else if (inEntry && element == entryElement && xmlTextReaderDepth(reader.get()) == 1) {
        inEntry = false;
        current.url = std::string(asciiTrimmed(current.url));
        current.lastmod = std::string(asciiTrimmed(current.lastmod));
        if (current.url.empty()) continue;
        if (out.entries.size() == kMaxSitemapUrls) {
          return core::Status::failure("it holds more than " + withThousands(kMaxSitemapUrls) +
                                       (out.isIndex ? " sitemaps" : " URLs"));
        }
        out.entries.push_back(std::move(current));
      }
    }
  }
  if (rc < 0 || !xmlError.empty()) {
    return core::Status::failure("it is not valid XML: " + (xmlError.empty() ? std::string("parse error") : xmlError));
  }
  if (root.empty()) return core::Status::failure("it holds no XML element");
  return core::Status::success();
}

}  // namespace larkspur::announce
