#pragma once
// "Create Submit Report": the save dialog with the proposed file name, the
// report written from the profile and the engine list as it shows now (its
// sort order and column widths), then the file opened with the desktop's
// default handler.

#include <QWidget>
#include <vector>

#include "core/engine_record.h"
#include "core/website_profile.h"
#include "reports/list_view.h"

namespace larkspur::ui {

class CommandHost;
class EngineListView;
class ProjectDocument;

// Whether the program can write submit reports.
bool submitReportAvailable();

// The engine list's columns (title and current width, 0 when hidden) and rows
// in display order, and the record of each row.
reports::ListView engineListReportView(const EngineListView& view);
std::vector<const core::EngineRecord*> engineListRowRecords(const EngineListView& view);

// Runs the command; returns the written path, empty when the user cancelled
// or the file could not be written.
QString runSubmitReportCommand(QWidget* parent, const core::WebsiteProfile& profile, const EngineListView& view);

// Installs "Create Submit Report" (when the program can write the report),
// enabled while there is an engine list; it wants the website first.
void installSubmitReportCommand(CommandHost& host, ProjectDocument& doc);

}  // namespace larkspur::ui
