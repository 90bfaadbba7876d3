#include "webengine/session_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace larkspur::webengine {

SessionPage::SessionPage(QWebEngineProfile* profile, bool automatic, QObject* parent)
    : QWebEnginePage(profile, parent), automatic_(automatic) {
  if (automatic_) settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
}

QWebEnginePage* SessionPage::createWindow(WebWindowType) {
  if (automatic_ || !newWindow_) return nullptr;
  return newWindow_();
}

void SessionPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
  if (automatic_ || !dialogs_) return;
  dialogs_(Dialog::kAlert, securityOrigin.host(), msg);
}

bool SessionPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
  // An unattended page's dialogs are dismissed unseen, as if closed.
  if (automatic_ || !dialogs_) return false;
  return dialogs_(Dialog::kConfirm, securityOrigin.host(), msg);
}

bool SessionPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                                   QString* result) {
  if (automatic_) return false;
  return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void SessionPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                           const QString&) {
  // Nothing of the pages' own console output is shown.
  if (console_) console_(message);
}

}  // namespace larkspur::webengine
