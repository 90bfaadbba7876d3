#pragma once
// The walk over a loaded page of a submission session: every element in
// document order; form fields are filled from the profile, the control that
// submits the form is clicked once the website URL is in, and after the click
// the texts of the answer page are classified until one decides.

#include "submit/walk_session.h"
#include "web/document.h"

namespace larkspur::submit {

// Walks `document` for `session`; called each time a document has completed
// loading. Fills and clicks through the document model, so they are recorded
// as its actions; writes submit state and message into the record and reports
// through the session's host. Does nothing for a session without a record,
// profile or word lists, or one that is final.
void walkPage(WalkSession& session, web::Document& document);

}  // namespace larkspur::submit
