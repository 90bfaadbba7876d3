#pragma once
// Every file dialog of the program goes through here, so tests can answer
// them with a responder instead of a user.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>

namespace larkspur::ui {

struct FileDialogRequest {
  enum class Mode { Open, Save };
  Mode mode = Mode::Open;
  QString caption;
  QString proposedPath;   // folder or file name the dialog starts with
  QString filter;         // e.g. "Larkspur File (*.lkr)"
  // Added to a typed name without one, e.g. "lkr"; when the filter offers
  // several, the chosen filter's first extension is added instead.
  QString defaultSuffix;
};

// `path` with the first extension of `nameFilter` ("HTML File (*.htm *.html)"
// gives "htm") when its file name has none, or `fallback` when the filter
// names no extension; a name that has one is returned as it is.
QString withChosenSuffix(const QString& path, const QString& nameFilter, const QString& fallback);

// The folder the project's file dialogs start in: the folder of the project
// file, else (a project not saved yet) the user's documents folder, else,
// when there is none, the home folder.
QString startFolder(const std::filesystem::path& projectFile);
// `name` in startFolder(projectFile).
QString inStartFolder(const std::filesystem::path& projectFile, const QString& name);

class FileDialogs {
 public:
  // Returns the chosen path, empty when the user cancelled, and may set the
  // chosen filter (the first one when left alone).
  using Responder = std::function<QString(const FileDialogRequest&, QString& chosenFilter)>;

  static void setResponder(Responder responder);
  static QString run(QWidget* parent, const FileDialogRequest& request);
};

}  // namespace larkspur::ui
