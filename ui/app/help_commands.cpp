#include "ui/app/help_commands.h"

#include <QCoreApplication>
#include <QUrl>

#include "ui/app/about_dialog.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/help_page.h"
#include "ui/dialogs/desktop_launcher.h"

namespace larkspur::ui {

HelpCommands::HelpCommands(CommandHost& host)
    : QObject(host.widget()), host_(host), programFolder_(QCoreApplication::applicationDirPath()) {}

void HelpCommands::install() {
  host_.installCommand(kIdHelpTopic, [this] { openHelpTopic(); });
  host_.installCommand(kIdSubmitServices, [this] { openServicesPage(); });
  host_.installCommand(kIdAppAbout, [this] { showAbout(); });
}

void HelpCommands::openHelpTopic() {
  // A missing page fails silently; one no browser could be started for is
  // named, so that the user can open it by hand.
  const QString page = findHelpPage(programFolder_);
  if (!page.isEmpty()) openOnDesktop(host_.widget(), QUrl::fromLocalFile(page));
}

void HelpCommands::openServicesPage() { openOnDesktop(host_.widget(), servicesPageUrl()); }

void HelpCommands::showAbout() {
  AboutDialog dialog(host_.widget());
  dialog.exec();
}

}  // namespace larkspur::ui
