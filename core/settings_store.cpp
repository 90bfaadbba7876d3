#include "core/settings_store.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/property_table.h"
#include "core/rc4.h"

namespace larkspur::core {

namespace {

constexpr const char* kDataFile = "sysdata";
constexpr const char* kSizeFile = "sysdatasize";
constexpr const char* kUserFile = "userfile";
constexpr const char* kLinkWidths = "linkme_column_width";
constexpr const char* kEngineWidths = "m_column_width";
constexpr std::size_t kUserFileCapacity = kLastProjectCapacity + 1;  // NUL included
// A settings blob is a few hundred bytes; anything this large is not one.
constexpr std::size_t kMaxBlobBytes = 16 * 1024 * 1024;

bool ensureFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

std::vector<uint8_t> widthBytes(const ColumnWidths& widths) {
  std::vector<uint8_t> bytes(widths.size() * 4);
  for (std::size_t i = 0; i < widths.size(); ++i) {
    auto v = static_cast<uint32_t>(widths[i]);
    for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
  }
  return bytes;
}

void readWidths(const PropertyTable& table, const char* name, ColumnWidths& widths,
                const ColumnWidths& defaults) {
  uint8_t bytes[128] = {};
  if (table.getValue(name, bytes, sizeof bytes) == 0) {
    for (std::size_t i = 0; i < widths.size(); ++i) {
      uint32_t v = 0;
      for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
      widths[i] = static_cast<int32_t>(v);
    }
  } else {
    widths.fill(0);
  }
  if (widths[0] == 0) widths = defaults;
}

Status writeBlob(const std::filesystem::path& folder, std::vector<uint8_t> serialised) {
  rc4Storage(serialised);
  Status s = writeFileAtomically(folder / kDataFile, serialised, 0600, true);
  if (!s.ok()) return s;
  auto size = static_cast<uint32_t>(serialised.size());
  const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size >> 16),
                                static_cast<uint8_t>(size >> 24)};
  return writeFileAtomically(folder / kSizeFile, sizeBytes, 0600, true);
}

// The stored blob, or nullopt when either file is missing, unreadable, empty
// or the two disagree on the length.
std::optional<std::vector<uint8_t>> readBlob(const std::filesystem::path& folder) {
  std::vector<uint8_t> sizeBytes;
  if (!readWholeFile(folder / kSizeFile, sizeBytes, 64).ok() || sizeBytes.size() != 4) {
    return std::nullopt;
  }
  uint32_t size = 0;
  for (int b = 0; b < 4; ++b) size |= static_cast<uint32_t>(sizeBytes[b]) << (8 * b);
  if (size == 0) return std::nullopt;
  std::vector<uint8_t> blob;
  if (!readWholeFile(folder / kDataFile, blob, kMaxBlobBytes).ok() || blob.size() != size) {
    return std::nullopt;
  }
  return blob;
}

}  // namespace

Settings::Settings()
    : link_column_widths(defaultLinkColumnWidths()),
      engine_column_widths(defaultEngineColumnWidths()) {}

ColumnWidths Settings::defaultLinkColumnWidths() {
  ColumnWidths w;
  w.fill(100);
  const int32_t head[] = {330, 0, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 120, 120, 120};
  for (std::size_t i = 0; i < std::size(head); ++i) w[i] = head[i];
  return w;
}

ColumnWidths Settings::defaultEngineColumnWidths() {
  ColumnWidths w;
  w.fill(100);
  const int32_t head[] = {88, 88, 48, 48, 80};
  for (std::size_t i = 0; i < std::size(head); ++i) w[i] = head[i];
  return w;
}

Status recordLastProject(Settings& settings, const std::string& path) {
  if (path.size() > kLastProjectCapacity) {
    return Status::failure("The project path is too long to be remembered as the last project (" +
                           std::to_string(path.size()) + " bytes, at most " + std::to_string(kLastProjectCapacity) +
                           ").");
  }
  settings.last_project = path;
  return Status::success();
}

SettingsStore::SettingsStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path SettingsStore::defaultFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".config";
  }
  return base / "NORVELLA" / "Larkspur";
}

Status SettingsStore::load(Settings& settings) const {
  if (!ensureFolder(folder_)) return Status::failure(kReadSettingsError);

  std::optional<std::vector<uint8_t>> blob = readBlob(folder_);
  if (!blob) {
    PropertyTable firstRun;
    firstRun.addText(kUserFile, "");
    std::optional<std::vector<uint8_t>> bytes = firstRun.serialise();
    if (!bytes) return Status::failure(kLoadSystemDataError);
    if (!writeBlob(folder_, *bytes).ok()) return Status::failure(kLoadSystemDataError);
    blob = std::move(bytes);  // still plain: no need to decipher it again
  } else {
    rc4Storage(*blob);
  }

  std::unique_ptr<PropertyTable> table = PropertyTable::parse(blob->data(), blob->size());
  if (!table) return Status::failure(kLoadSystemDataError);

  char userfile[kUserFileCapacity] = {};
  table->getValue(kUserFile, userfile, sizeof userfile);
  userfile[kUserFileCapacity - 1] = '\0';
  settings.last_project = userfile;
  readWidths(*table, kLinkWidths, settings.link_column_widths,
             Settings::defaultLinkColumnWidths());
  readWidths(*table, kEngineWidths, settings.engine_column_widths,
             Settings::defaultEngineColumnWidths());
  return Status::success();
}

Status SettingsStore::save(const Settings& settings) const {
  PropertyTable table;
  char userfile[kUserFileCapacity];
  copyText(userfile, settings.last_project);
  table.addText(kUserFile, userfile);
  std::vector<uint8_t> link = widthBytes(settings.link_column_widths);
  std::vector<uint8_t> engine = widthBytes(settings.engine_column_widths);
  table.addBinary(kLinkWidths, link.data(), link.size());
  table.addBinary(kEngineWidths, engine.data(), engine.size());
  std::optional<std::vector<uint8_t>> bytes = table.serialise();
  if (!bytes) return Status::failure(kWriteSettingsError);
  if (!ensureFolder(folder_)) return Status::failure(kWriteSettingsError);
  Status s = writeBlob(folder_, std::move(*bytes));
  if (!s.ok()) return Status::failure(kWriteSettingsError + std::string(" (") + s.message + ")");
  return Status::success();
}

}  // namespace larkspur::core
