#include "ui/submit/submit_report_command.h"

#include <QDir>
#include <QHeaderView>
#include <QUrl>
#include <ctime>

#include "core/fixed_text.h"
#include "reports/report_time.h"
#include "reports/submit_report.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/desktop_launcher.h"
#include "ui/dialogs/message_boxes.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/file_dialogs.h"
#include "ui/project/project_document.h"

namespace larkspur::ui {

bool submitReportAvailable() { return true; }

reports::ListView engineListReportView(const EngineListView& view) {
  reports::ListView list = listViewOf(view);
  // The report shows submissions: a verdict is none, and an empty cell would
  // read "Un-Submit" there.
  list.columns[EngineListView::kColumnHealth].width = 0;
  return list;
}

std::vector<const core::EngineRecord*> engineListRowRecords(const EngineListView& view) {
  std::vector<const core::EngineRecord*> records;
  for (int row = 0; row < view.rowCount(); ++row) records.push_back(view.recordAt(row));
  return records;
}

QString runSubmitReportCommand(QWidget* parent, const core::WebsiteProfile& profile, const EngineListView& view) {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Save;
  request.caption = QStringLiteral("Save As");
  request.filter = QStringLiteral("HTML (*.html)");
  request.defaultSuffix = QStringLiteral("html");
  request.proposedPath = QString::fromStdString(reports::proposedSubmitReportName(core::fieldView(profile.url)));
  const QString path = FileDialogs::run(parent, request);
  if (path.isEmpty()) return {};

  const reports::ListView list = engineListReportView(view);
  const std::vector<const core::EngineRecord*> records = engineListRowRecords(view);
  const core::Status written = reports::writeSubmitReport(path.toStdString(), profile, list, records,
                                                        reports::localTime(std::time(nullptr)));
  if (!written.ok()) {
    MessageBoxes::warn(parent, QString::fromStdString(written.message));
    return {};
  }
  // A file the desktop cannot open is named, so that the user can open it by
  // hand.
  openOnDesktop(parent, QUrl::fromLocalFile(path));
  return path;
}

void installSubmitReportCommand(CommandHost& host, ProjectDocument& doc) {
  if (!submitReportAvailable()) return;
  host.installCommand(
      kIdCreateSubmitReport,
      [&host, &doc] {
        if (!doc.requireWebsite()) return;
        if (EngineListView* view = host.itemView()->engineView()) {
          const QString path = runSubmitReportCommand(host.widget(), doc.project().profile, *view);
          if (!path.isEmpty()) {
            host.showJobEnd(QStringLiteral("The submit report is in %1").arg(QDir::toNativeSeparators(path)));
          }
        }
      },
      [&host] { return host.itemView()->engineView() != nullptr; });
}

}  // namespace larkspur::ui
