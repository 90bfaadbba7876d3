#pragma once
// A fresh directory under the system temporary directory, removed with its
// contents when the object goes away.

#include <filesystem>
#include <string>

namespace larkspur::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path file(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A program in a folder of its own and a folder for downloads, in a fresh
// directory: <dir>/bin/larkspur holds "old program" and may be run; <dir>/tmp
// is empty.
struct InstalledProgram {
  InstalledProgram();

  TempDir dir;
  std::filesystem::path folder = dir.file("bin");
  std::filesystem::path downloads = dir.file("tmp");
  std::filesystem::path program = folder / "larkspur";
};

// Whole file as bytes / writes bytes as the whole file.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace larkspur::test
