#pragma once
// Stopping a job whose worker may take a moment to notice: the job is asked
// to stop, then the GUI thread waits for it with the windows painted and user
// input held back, and after a moment a progress dialog says why.

#include <QString>
#include <functional>

class QWidget;

namespace larkspur::ui {

// Calls `stop`, then returns once `ended` says so (at once when it does
// already); `text` is the progress dialog's, shown over `parent`.
void stopAndWait(QWidget* parent, const QString& text, const std::function<void()>& stop,
                 const std::function<bool()>& ended);

}  // namespace larkspur::ui
