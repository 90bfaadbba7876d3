#pragma once
// Wires the submission windows into the main window: the browser pane as its
// right-hand pane (opening the engine list's targets, driving the toolbar's
// browser buttons and page-load bar) and the batch dialog behind "Auto Submit
// ALL", "Auto Submit Reset" and the engine list's "Auto Submit".

#include "core/coordination.h"
#include "ui/submit/batch_dialog.h"

namespace larkspur::ui {

class CBrowseView;
class CLarkspurDoc;
class CMainFrame;

// `batch` gives the batch dialog's tick and session timings (the profile,
// word lists and coordination are taken from `doc` and `coordination`).
CBrowseView* installSubmissionWindows(CMainFrame& frame, CLarkspurDoc& doc, core::Coordination& coordination,
                                      AutoSubmitContext batch = {});

}  // namespace larkspur::ui
