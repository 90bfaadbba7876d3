#include "core/service_keys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "core/atomic_file.h"
#include "core/settings_store.h"

namespace larkspur::core {

namespace {

const KeyedServiceInfo kServices[] = {
    {KeyedService::kBingWebmaster, "bing-webmaster", "Bing Webmaster Tools", "LARKSPUR_BING_WEBMASTER_KEY"},
    {KeyedService::kOpenPageRank, "open-pagerank", "Open PageRank", "LARKSPUR_OPEN_PAGERANK_KEY"},
};

// A key file holds a few short lines; anything larger is not one.
constexpr std::size_t kMaxKeyFileBytes = 64 * 1024;
constexpr std::size_t kMaskedMinimum = 16;
constexpr std::size_t kMaskedShown = 4;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

Status refused(const std::filesystem::path& file, const std::string& why) {
  return Status::failure("The service key file " + file.string() + " " + why + ": it is not used.");
}

}  // namespace

std::span<const KeyedServiceInfo> keyedServices() { return kServices; }

const KeyedServiceInfo& keyedServiceInfo(KeyedService service) {
  for (const KeyedServiceInfo& info : kServices) {
    if (info.service == service) return info;
  }
  return kServices[0];
}

const KeyedServiceInfo* keyedServiceByName(std::string_view name) {
  for (const KeyedServiceInfo& info : kServices) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

std::optional<std::string> serviceKeyProblem(std::string_view key) {
  if (key.empty()) return "is empty";
  if (key.size() > kServiceKeyLimit) return "is longer than " + std::to_string(kServiceKeyLimit) + " characters";
  // Keys go into a header line and a query: nothing that could end either.
  const bool visible = std::all_of(key.begin(), key.end(), [](char c) { return c > ' ' && c < 0x7f; });
  if (!visible) return "holds a blank, a control character or a character that is not ASCII";
  return std::nullopt;
}

std::string maskedKey(std::string_view key) {
  if (key.size() < kMaskedMinimum) return "set";
  return std::string(key.substr(0, kMaskedShown)) + "\u2026" + std::string(key.substr(key.size() - kMaskedShown));
}

ServiceKeyStore::ServiceKeyStore(std::filesystem::path folder) : file_(std::move(folder) / kServiceKeysFileName) {}

ServiceKeyStore ServiceKeyStore::standard() { return ServiceKeyStore(SettingsStore::defaultFolder()); }

ServiceKey ServiceKeyStore::key(KeyedService service, std::vector<std::string>* notes) const {
  const KeyedServiceInfo& info = keyedServiceInfo(service);
  if (const char* value = std::getenv(info.environment); value && *value) {
    if (const std::optional<std::string> problem = serviceKeyProblem(value)) {
      if (notes) notes->push_back(std::string(info.environment) + " " + *problem + ": it is not used.");
    } else {
      return {value, KeySource::kEnvironment};
    }
  }
  std::vector<std::pair<std::string, std::string>> keys;
  if (const Status read = this->read(keys, notes); !read.ok()) {
    if (notes) notes->push_back(read.message);
    return {};
  }
  for (auto& [name, value] : keys) {
    if (name == info.name) return {std::move(value), KeySource::kFile};
  }
  return {};
}

Status ServiceKeyStore::read(std::vector<std::pair<std::string, std::string>>& keys,
                             std::vector<std::string>* notes) const {
  keys.clear();
  const FileDescriptor fd(::open(file_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    if (errno == ENOENT) return Status::success();
    if (errno == ELOOP) return refused(file_, "is a symbolic link");
    return refused(file_, std::string("cannot be read (") + std::strerror(errno) + ")");
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return refused(file_, std::string("cannot be read (") + std::strerror(errno) + ")");
  if (!S_ISREG(st.st_mode)) return refused(file_, "is not a regular file");
  if (st.st_uid != ::geteuid()) return refused(file_, "belongs to another user");
  if ((st.st_mode & 077) != 0) {
    if (::fchmod(fd.get(), 0600) != 0) {
      return refused(file_, "can be read by other users and its mode cannot be changed");
    }
    if (notes) {
      notes->push_back("The service key file " + file_.string() +
                       " could be read by other users: it is now readable by you alone (mode 0600).");
    }
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxKeyFileBytes) return refused(file_, "is too large to be a key file");

  std::string text;
  char block[4096];
  while (text.size() <= kMaxKeyFileBytes) {
    const ssize_t got = ::read(fd.get(), block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return refused(file_, std::string("cannot be read (") + std::strerror(errno) + ")");
    if (got == 0) break;
    text.append(block, static_cast<std::size_t>(got));
  }
  if (text.size() > kMaxKeyFileBytes) return refused(file_, "is too large to be a key file");

  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    // A line is never quoted back: it may be a key.
    if (equals == 0 || equals == std::string_view::npos || serviceKeyProblem(line.substr(equals + 1))) {
      if (notes) {
        notes->push_back("Line " + std::to_string(lineNumber) + " of " + file_.string() +
                         " is not name=key: it is left out.");
      }
      continue;
    }
    keys.emplace_back(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
  }
  return Status::success();
}

Status ServiceKeyStore::store(KeyedService service, std::string_view key, std::vector<std::string>* notes) const {
  if (!key.empty()) {
    if (const std::optional<std::string> problem = serviceKeyProblem(key)) {
      return Status::failure("The key " + *problem + ".");
    }
  }
  std::vector<std::pair<std::string, std::string>> keys;
  if (Status read = this->read(keys, notes); !read.ok()) return read;
  const std::string name = keyedServiceInfo(service).name;
  std::erase_if(keys, [&](const auto& entry) { return entry.first == name; });
  if (!key.empty()) keys.emplace_back(name, std::string(key));

  std::string text = "# Larkspur's keys for outside services: name=key, one a line. Keep this file private.\n";
  for (const auto& [entryName, value] : keys) text += entryName + "=" + value + "\n";
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return writeFileAtomically(file_, std::span<const uint8_t>(bytes, text.size()), 0600, true);
}

}  // namespace larkspur::core
