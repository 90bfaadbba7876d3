// "Services...": a key typed into its password field is saved, never shown
// again, kept by an empty field and removed by Clear.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/links/service_keys_dialog.h"

using namespace larkspur;

class TestServiceKeysDialog : public QObject {
  Q_OBJECT

 private slots:
  void keysAreSavedShownMaskedAndCleared() {
    test::ScopedConfigHome home;
    const core::ServiceKeyStore store = core::ServiceKeyStore::standard();
    const std::string key = "bing-key-0123456789abcdef";
    ui::ServiceKeysDialog typed(store, nullptr);
    QCOMPARE(typed.keyField(core::KeyedService::kBingWebmaster)->echoMode(), QLineEdit::Password);
    QTest::keyClicks(typed.keyField(core::KeyedService::kBingWebmaster), QString::fromStdString(key));
    QVERIFY(typed.save());
    QCOMPARE(store.key(core::KeyedService::kBingWebmaster).key, key);

    ui::ServiceKeysDialog again(store, nullptr);
    QLineEdit* field = again.keyField(core::KeyedService::kBingWebmaster);
    QVERIFY(field->text().isEmpty());
    QVERIFY(field->placeholderText().contains(QStringLiteral("bing\u2026cdef")));
    QVERIFY(again.save());
    QCOMPARE(store.key(core::KeyedService::kBingWebmaster).key, key);
    again.findChild<QPushButton*>(QStringLiteral("bing-webmaster-clear"))->click();
    QVERIFY(again.save());
    QVERIFY(test::readFile(store.file()).find(key) == std::string::npos);
  }
};

QTEST_MAIN(TestServiceKeysDialog)
#include "test_service_keys_dialog.moc"
