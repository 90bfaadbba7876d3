#pragma once
// The QWebEnginePage of a submission page. An automatic session's page shows
// nothing of its own: JavaScript dialogs are answered without being shown and
// new windows are refused. A page of the browser pane asks the user through
// the dialog handler the pane gives it (the program's message boxes) and
// opens new windows where the pane says. Console lines are offered to a
// handler first: the engine learns of frame loads that way.

#include <QWebEnginePage>
#include <functional>

class QWebEngineProfile;

namespace larkspur::webengine {

class SessionPage : public QWebEnginePage {
  Q_OBJECT

 public:
  // Returns the page a new window is to be loaded into, or nullptr to refuse.
  using NewWindowHandler = std::function<QWebEnginePage*()>;
  // Returns true when it has taken the line.
  using ConsoleHandler = std::function<bool(const QString& message)>;
  // A JavaScript alert or confirmation of a page that is not automatic, with
  // the host of the page that asks and its text; returns whether the user
  // confirmed (an alert's answer is not used). Without a handler nothing is
  // shown and a confirmation is answered as if closed.
  enum class Dialog { kAlert, kConfirm };
  using DialogHandler = std::function<bool(Dialog dialog, const QString& host, const QString& text)>;

  SessionPage(QWebEngineProfile* profile, bool automatic, QObject* parent = nullptr);

  bool automatic() const { return automatic_; }
  void setNewWindowHandler(NewWindowHandler handler) { newWindow_ = std::move(handler); }
  void setConsoleHandler(ConsoleHandler handler) { console_ = std::move(handler); }
  void setDialogHandler(DialogHandler handler) { dialogs_ = std::move(handler); }

 protected:
  QWebEnginePage* createWindow(WebWindowType type) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                const QString& sourceID) override;

 private:
  bool automatic_;
  NewWindowHandler newWindow_;
  ConsoleHandler console_;
  DialogHandler dialogs_;
};

}  // namespace larkspur::webengine
