#pragma once
// Every file dialog of the program goes through here, so tests can answer
// them with a responder instead of a user.

#include <QString>
#include <QWidget>
#include <functional>

namespace larkspur::ui {

struct FileDialogRequest {
  enum class Mode { Open, Save };
  Mode mode = Mode::Open;
  QString caption;
  QString proposedPath;   // folder or file name the dialog starts with
  QString filter;         // e.g. "Larkspur File (*.lkr)"
  QString defaultSuffix;  // added to a typed name without one, e.g. "lkr"
};

class FileDialogs {
 public:
  // Returns the chosen path, empty when the user cancelled.
  using Responder = std::function<QString(const FileDialogRequest&)>;

  static void setResponder(Responder responder);
  static QString run(QWidget* parent, const FileDialogRequest& request);
};

}  // namespace larkspur::ui
