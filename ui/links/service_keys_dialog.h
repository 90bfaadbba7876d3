#pragma once
// "Services..." (Search Engine Submit menu, beside "Internet Option"): the
// user's keys for Bing Webmaster Tools and Open PageRank, typed into
// password fields and saved to the key file of core/service_keys.h. A stored
// key is never put back into a field: the field says it is set (masked), a
// field left empty keeps it, Clear removes it when OK is pressed.

#include <QDialog>
#include <QString>
#include <map>

#include "core/service_keys.h"

class QLabel;
class QLineEdit;

namespace larkspur::ui {

class CommandHost;

class ServiceKeysDialog : public QDialog {
  Q_OBJECT

 public:
  ServiceKeysDialog(const core::ServiceKeyStore& store, QWidget* parent);

  QLineEdit* keyField(core::KeyedService service) const;
  // Saves what was typed or cleared; false (after saying why) when a key is
  // not one or the file cannot be written.
  bool save();

  void accept() override;

 private:
  struct Row {
    QLineEdit* field = nullptr;
    bool cleared = false;
  };
  void showStored(core::KeyedService service);

  const core::ServiceKeyStore& store_;
  std::map<core::KeyedService, Row> rows_;
};

// Installs "Services...", which opens the dialog on the settings folder's
// key file.
void installServiceKeysCommand(CommandHost& host);

}  // namespace larkspur::ui
