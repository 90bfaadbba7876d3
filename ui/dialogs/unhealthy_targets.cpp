#include "ui/dialogs/unhealthy_targets.h"

#include <QStringList>

#include "core/target_health.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

namespace {

// The targets named in the box; the rest are counted.
constexpr qsizetype kNamedTargets = 10;

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "Example Directory: parked (name servers at ...)"
QString targetLine(const core::EngineRecord& record) {
  QString line = qtext(record.name.view()) + QStringLiteral(": ") + qtext(record.health.view());
  if (!record.health_reason.empty()) line += QStringLiteral(" (") + qtext(record.health_reason.view()) + ')';
  return line;
}

}  // namespace

bool confirmUnhealthyTargets(QWidget* parent, const std::vector<core::EngineRecord*>& targets, UnhealthyUse use) {
  QStringList lines;
  qsizetype unhealthy = 0;
  for (const core::EngineRecord* record : targets) {
    if (!record || core::healthAllowsProfile(*record)) continue;
    if (++unhealthy <= kNamedTargets) lines << QStringLiteral("    ") + targetLine(*record);
  }
  if (unhealthy == 0) return true;
  if (unhealthy > kNamedTargets) lines << QStringLiteral("    and %1 more").arg(unhealthy - kNamedTargets);

  const bool one = unhealthy == 1;
  QString text = one ? QStringLiteral("The last check of this target found it may no longer take submissions:")
                     : QStringLiteral("The last check of these targets found they may no longer take submissions:");
  text += QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n");
  if (use == UnhealthyUse::kSubmit) {
    text += one ? QStringLiteral("Submit your website to it anyway?")
                : QStringLiteral("Submit your website to them anyway?");
  } else {
    text += QStringLiteral("Fill in its form with your website's details anyway? No shows the page unfilled.");
  }
  return MessageBoxes::ask(parent, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace larkspur::ui
