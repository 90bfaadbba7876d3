#include "ui/links/service_keys_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/dialogs/message_boxes.h"

namespace larkspur::ui {

ServiceKeysDialog::ServiceKeysDialog(const core::ServiceKeyStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
  setWindowTitle(QStringLiteral("Services"));
  auto* layout = new QVBoxLayout(this);
  auto* about = new QLabel(QStringLiteral("Your own keys for the services Larkspur asks on your account. They are "
                                          "kept in %1, which only you can read.")
                               .arg(QString::fromStdString(store_.file().string())),
                           this);
  about->setWordWrap(true);
  layout->addWidget(about);
  auto* form = new QFormLayout;
  for (const core::KeyedServiceInfo& info : core::keyedServices()) {
    Row& row = rows_[info.service];
    row.field = new QLineEdit(this);
    row.field->setObjectName(QString::fromUtf8(info.name));
    row.field->setEchoMode(QLineEdit::Password);
    row.field->setMaxLength(static_cast<int>(core::kServiceKeyLimit));
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(QString::fromUtf8(info.name) + QStringLiteral("-clear"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, [this, service = info.service] {
      Row& r = rows_[service];
      r.cleared = true;
      r.field->clear();
      r.field->setPlaceholderText(QStringLiteral("Not set (removed when you press OK)"));
    });
    auto* line = new QHBoxLayout;
    line->addWidget(row.field, 1);
    line->addWidget(clear);
    form->addRow(QString::fromUtf8(info.title) + QLatin1Char(':'), line);
    showStored(info.service);
    if (const char* value = std::getenv(info.environment); value && *value) {
      const QString note = QString::fromUtf8(info.environment) + QStringLiteral(" is set and is used instead.");
      form->addRow(QString(), new QLabel(note, this));
    }
  }
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void ServiceKeysDialog::showStored(core::KeyedService service) {
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<std::string> notes;
  store_.read(keys, &notes);
  QString placeholder = QStringLiteral("Not set");
  for (const auto& [name, key] : keys) {
    if (name == core::keyedServiceInfo(service).name) {
      placeholder = QStringLiteral("Set (%1): type a new key to replace it")
                        .arg(QString::fromStdString(core::maskedKey(key)));
    }
  }
  rows_[service].field->setPlaceholderText(placeholder);
}

QLineEdit* ServiceKeysDialog::keyField(core::KeyedService service) const {
  const auto row = rows_.find(service);
  return row == rows_.end() ? nullptr : row->second.field;
}

bool ServiceKeysDialog::save() {
  for (const auto& [service, row] : rows_) {
    const std::string typed = row.field->text().trimmed().toStdString();
    if (typed.empty() && !row.cleared) continue;
    std::vector<std::string> notes;
    const core::Status stored = store_.store(service, typed, &notes);
    if (!stored.ok()) {
      const QString title = QString::fromUtf8(core::keyedServiceInfo(service).title);
      MessageBoxes::warn(this, title + QStringLiteral(": ") + QString::fromStdString(stored.message));
      return false;
    }
    for (const std::string& note : notes) MessageBoxes::inform(this, QString::fromStdString(note));
  }
  return true;
}

void ServiceKeysDialog::accept() {
  if (save()) QDialog::accept();
}

void installServiceKeysCommand(CommandHost& host) {
  host.installCommand(kIdServiceKeys, [&host] {
    const core::ServiceKeyStore store = core::ServiceKeyStore::standard();
    ServiceKeysDialog dialog(store, host.widget());
    dialog.exec();
  });
}

}  // namespace larkspur::ui
