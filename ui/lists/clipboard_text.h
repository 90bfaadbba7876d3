#pragma once
// Plain text onto the clipboard, as the list views' Copy puts it there, with
// the messages for a clipboard that cannot be used.

#include <QString>

class QWidget;

namespace larkspur::ui {

inline constexpr char kClipboardOpenError[] = "Cannot open the Clipboard";
inline constexpr char kClipboardEmptyError[] = "Cannot empty the Clipboard";
inline constexpr char kClipboardSetError[] = "Unable to set Clipboard data";

// Replaces the clipboard's content with `text` (all of it, however long).
// Returns false after telling the user when the clipboard could not be used.
bool putTextOnClipboard(QWidget* parent, const QString& text);

}  // namespace larkspur::ui
