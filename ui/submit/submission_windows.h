#pragma once
// Puts the submission windows into the main window: the browser pane as its
// right-hand pane (opening the engine list's targets, driving the toolbar's
// browser buttons and page-load bar) and the batch dialog behind "Auto Submit
// ALL", "Auto Submit Reset" and the engine list's "Auto Submit".

#include "core/coordination.h"
#include "ui/submit/batch_dialog.h"

namespace larkspur::ui {

class BrowserPane;
class CommandHost;
class ProjectDocument;

// `batch` gives the sessions' timings and fetch options and `pace` the batch
// dialog's tick (the profile, word lists and coordination are taken from
// `doc` and `coordination`).
BrowserPane* installSubmissionWindows(CommandHost& host, ProjectDocument& doc, core::Coordination& coordination,
                                      submit::SubmissionContext batch = {}, BatchPace pace = {});

}  // namespace larkspur::ui
