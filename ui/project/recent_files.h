#pragma once
// The four most recently opened or saved projects, newest first, kept in a
// small INI file beside the settings blob.

#include <QString>
#include <QStringList>

namespace larkspur::ui {

inline constexpr int kRecentFileCount = 4;

class RecentFiles {
 public:
  const QStringList& paths() const { return paths_; }
  // Puts `path` first (moving it when already listed) and keeps four.
  void add(const QString& path);
  void remove(const QString& path);

  // Reads and writes the list; a missing file gives an empty list.
  void load(const QString& file);
  bool save(const QString& file) const;

 private:
  QStringList paths_;
};

}  // namespace larkspur::ui
