#pragma once
// The submit report: an HTML file with the Website profile that was
// submitted, the date and one table row per target as the engine list shows
// it, with the message of every target whose submission failed. Lines end in
// a TAB and a line feed; every text in it (profile, cells, messages) is
// escaped for HTML.

#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/engine_record.h"
#include "core/status.h"
#include "core/website_profile.h"
#include "reports/list_view.h"

namespace larkspur::reports {

// The file name proposed for a website URL: "*.HTM" when the URL has no host
// name of two characters or more; else the host name's part between its first
// and second dots followed by ".HTM", or ".HTM" alone when the host name has
// fewer than two dots.
std::string proposedSubmitReportName(std::string_view websiteUrl);

// The report's bytes. `rowRecords` holds the Engine record of each row of the
// view, in the same order (a missing or null entry counts as not failed).
std::string submitReportText(const core::WebsiteProfile& profile, const ListView& view,
                             std::span<const core::EngineRecord* const> rowRecords, const std::tm& now);

// Writes the report; fails with "Create file error!".
core::Status writeSubmitReport(const std::filesystem::path& path, const core::WebsiteProfile& profile,
                               const ListView& view, std::span<const core::EngineRecord* const> rowRecords,
                               const std::tm& now);

}  // namespace larkspur::reports
