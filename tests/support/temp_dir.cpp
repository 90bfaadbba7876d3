#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace larkspur::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "larkspur-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

InstalledProgram::InstalledProgram() {
  std::filesystem::create_directory(folder);
  std::filesystem::create_directory(downloads);
  writeFile(program, "old program");
  std::filesystem::permissions(program, std::filesystem::perms(0755), std::filesystem::perm_options::replace);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace larkspur::test
