// The profile dialog: what it shows, the list selection rules, the website
// URL and the 80-character refusals, what is left of each field, the e-mail
// warning, Enter doing nothing, Escape cancelling and what OK stores.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "core/fixed_text.h"
#include "core/website_profile.h"
#include "tests/ui/ui_test_support.h"
#include "ui/project/profile_dialog.h"

using namespace larkspur;

namespace {

QLineEdit* edit(ui::ProfileDialog& dialog, int index) { return qobject_cast<QLineEdit*>(dialog.control(index)); }

}  // namespace

class TestProfileDialog : public QObject {
  Q_OBJECT

 private slots:
  void listSelection_data() {
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("addon");
    QTest::addColumn<int>("countryIndex");
    QTest::addColumn<int>("categoryIndex");
    QTest::addColumn<int>("addonIndex");
    // Empty or unknown texts fall back to "USA" (the last country), to
    // "Business" (position 2) and to no add-on.
    QTest::newRow("empty profile") << "" << "" << "" << 24 << 2 << -1;
    QTest::newRow("unknown texts") << "Atlantis" << "Nothing" << "Nowhere" << 24 << 2 << -1;
    QTest::newRow("case matters") << "germany" << "business" << "" << 24 << 2 << -1;
    // "Australia" is listed twice: the last one is selected.
    QTest::newRow("repeated country") << "Australia" << "" << "" << 4 << 2 << -1;
    QTest::newRow("known texts") << "Germany" << "Education" << "Computers & Internet >> Internet" << 10 << 4 << -2;
  }

  void listSelection() {
    QFETCH(QString, country);
    QFETCH(QString, category);
    QFETCH(QString, addon);
    QFETCH(int, countryIndex);
    QFETCH(int, categoryIndex);
    QFETCH(int, addonIndex);
    core::WebsiteProfile profile;
    core::copyText(profile.country, country.toStdString());
    core::copyText(profile.category, category.toStdString());
    core::copyText(profile.category_addon, addon.toStdString());
    for (auto mode : {ui::ProfileDialog::Mode::Prefilled, ui::ProfileDialog::Mode::Blank}) {
      ui::ProfileDialog dialog(profile, mode);
      QCOMPARE(dialog.countryList()->currentIndex(), countryIndex);
      QCOMPARE(dialog.categoryList()->currentIndex(), categoryIndex);
      if (addonIndex == -2) {
        QCOMPARE(dialog.categoryAddonList()->currentText(), addon);
      } else {
        QCOMPARE(dialog.categoryAddonList()->currentIndex(), addonIndex);
      }
    }
  }

  void listsHoldTheBuiltInEntriesInOrder() {
    core::WebsiteProfile profile;
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    QCOMPARE(dialog.countryList()->count(), 25);
    QCOMPARE(dialog.countryList()->itemText(0), QStringLiteral("Australia"));
    QCOMPARE(dialog.countryList()->itemText(24), QStringLiteral("USA"));
    QCOMPARE(dialog.categoryList()->count(), 18);
    QCOMPARE(dialog.categoryList()->itemText(2), QStringLiteral("Business"));
    QCOMPARE(dialog.categoryAddonList()->count(), 485);
    QVERIFY(!dialog.countryList()->isEditable());
  }

  void okWaitsForAWebsiteAddressWithAHost_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("problem");  // empty: accepted
    QTest::newRow("scheme only") << "http://" << "The website URL has no host name.";
    QTest::newRow("emptied") << "" << "The website URL must start with http:// or https://.";
    QTest::newRow("no scheme") << "www.example.com" << "The website URL must start with http:// or https://.";
    QTest::newRow("blank") << "http://www.exa mple.com/" << "The website URL must not contain blanks.";
    QTest::newRow("http") << "http://www.example.com/" << "";
    QTest::newRow("https with port") << "HTTPS://shop.example.org:8080/x" << "";
  }

  void okWaitsForAWebsiteAddressWithAHost() {
    QFETCH(QString, url);
    QFETCH(QString, problem);
    core::WebsiteProfile profile;
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    dialog.show();
    // Opened with "http://": refused from the start, and said why.
    QVERIFY(!dialog.okButton()->isEnabled());
    QVERIFY(dialog.urlProblemLabel()->isVisible());
    QTest::keyClick(edit(dialog, 0), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit(dialog, 0), Qt::Key_Backspace);
    QTest::keyClicks(edit(dialog, 0), url);
    QCOMPARE(edit(dialog, 0)->text(), url);
    QCOMPARE(dialog.urlProblemLabel()->isVisible(), !problem.isEmpty());
    if (!problem.isEmpty()) QCOMPARE(dialog.urlProblemLabel()->text(), problem);
    QCOMPARE(dialog.okButton()->isEnabled(), problem.isEmpty());
    dialog.okButton()->click();
    // Every other field may stay empty.
    QCOMPARE(dialog.result(), int(problem.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(QString::fromUtf8(profile.url), problem.isEmpty() ? url : QString());
  }

  void okStoresEveryControlAndTheFallbacks() {
    core::WebsiteProfile profile;
    core::copyText(profile.title, "Old title");
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Prefilled);
    QCOMPARE(edit(dialog, 0)->text(), QStringLiteral("http://"));
    QCOMPARE(edit(dialog, 1)->text(), QStringLiteral("Old title"));
    edit(dialog, 0)->setText(QStringLiteral("http://www.example.com/"));
    QCOMPARE(edit(dialog, 6)->echoMode(), QLineEdit::Password);
    edit(dialog, 2)->setText(QStringLiteral("me@example.com"));
    edit(dialog, 6)->setText(QStringLiteral("secret"));
    edit(dialog, 14)->setText(QStringLiteral("garden, tools"));
    qobject_cast<QPlainTextEdit*>(dialog.control(16))->setPlainText(QStringLiteral("Line one\nLine two"));
    dialog.show();
    dialog.okButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromUtf8(profile.url), QStringLiteral("http://www.example.com/"));
    QCOMPARE(QString::fromUtf8(profile.title), QStringLiteral("Old title"));
    QCOMPARE(QString::fromUtf8(profile.email), QStringLiteral("me@example.com"));
    QCOMPARE(QString::fromUtf8(profile.password), QStringLiteral("secret"));
    QCOMPARE(QString::fromUtf8(profile.keyword), QStringLiteral("garden, tools"));
    QCOMPARE(QString::fromUtf8(profile.long_description), QStringLiteral("Line one\nLine two"));
    QCOMPARE(QString::fromUtf8(profile.country), QStringLiteral("USA"));
    QCOMPARE(QString::fromUtf8(profile.category), QStringLiteral("Business"));
    QCOMPARE(QString::fromUtf8(profile.category_addon), QString());
  }

  void blankModeStartsEmptyButKeepsTheListRule() {
    core::WebsiteProfile profile;
    core::copyText(profile.url, "http://www.example.com/");
    core::copyText(profile.title, "Title");
    core::copyText(profile.country, "Germany");
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    QCOMPARE(edit(dialog, 0)->text(), QStringLiteral("http://"));
    QCOMPARE(edit(dialog, 1)->text(), QString());
    QCOMPARE(dialog.countryList()->currentText(), QStringLiteral("Germany"));
  }

  void textLongerThanAFieldIsCutAtItsCapacity() {
    core::WebsiteProfile profile;
    std::memset(profile.host, 'x', sizeof profile.host - 1);  // a canary after the last text
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    edit(dialog, 0)->setText(QStringLiteral("http://www.example.com/"));
    // 64-byte field: 40 two-byte characters do not fit and are cut whole.
    edit(dialog, 13)->setText(QString(40, QChar(0x00E9)));
    dialog.okButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(std::strlen(profile.telephone), std::size_t{62});
    QCOMPARE(QString::fromUtf8(profile.telephone), QString(31, QChar(0x00E9)));
    QCOMPARE(profile.host[0], 'x');
  }

  void shortDescriptionOver80CharactersIsRefused() {
    test::MessageBoxRecorder boxes;
    core::WebsiteProfile profile;
    core::copyText(profile.url, "http://www.example.com/");
    core::copyText(profile.short_description, "before");
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Prefilled);
    dialog.show();
    edit(dialog, 1)->setText(QStringLiteral("changed title"));
    edit(dialog, 15)->setText(QString(81, QLatin1Char('a')));
    dialog.okButton()->click();
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Please enter no more than 80 characters.")});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(QString::fromUtf8(profile.short_description), QStringLiteral("before"));
    QCOMPARE(QString::fromUtf8(profile.title), QString());

    // 80 characters are accepted, counted as characters rather than bytes.
    const QString eighty(80, QChar(0x00FC));
    edit(dialog, 15)->setText(eighty);
    dialog.okButton()->click();
    QCOMPARE(boxes.texts().size(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromUtf8(profile.short_description), eighty);
  }

  void enterDoesNothingAndEscapeCancels() {
    core::WebsiteProfile profile;
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    edit(dialog, 0)->setText(QStringLiteral("http://www.example.com/"));  // OK enabled
    for (int index : {0, 10, 16, 17, 18}) {
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QWidget* control = dialog.control(index);
      control->setFocus();
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(control, key);
        QVERIFY2(dialog.isVisible(), qPrintable(QStringLiteral("control %1 key %2").arg(index).arg(int(key))));
      }
      QTest::keyClick(control, Qt::Key_Escape);
      QVERIFY2(!dialog.isVisible() && dialog.result() == QDialog::Rejected, qPrintable(QString::number(index)));
    }
    QCOMPARE(qobject_cast<QPlainTextEdit*>(dialog.control(16))->toPlainText(), QString());
    QCOMPARE(QString::fromUtf8(profile.url), QString());
  }

  void fieldsSayWhatIsLeftAndAnEmailThatIsNoAddressIsWarnedOf_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("emailProblem");  // empty: no warning
    QTest::newRow("telephone: two-byte letters") << 13 << QString(40, QChar(0x00E9)) << "17 too many" << "";
    QTest::newRow("short description: 80 two-byte letters") << 15 << QString(80, QChar(0x00FC)) << "0 left" << "";
    QTest::newRow("long description: 4095 bytes") << 16 << "one two" << "4088 left" << "";
    QTest::newRow("e-mail address") << 2 << "me@shop.example.com" << "240 left" << "";
    QTest::newRow("e-mail without @") << 2 << "me.example.com" << "245 left" << "it has no @";
    QTest::newRow("e-mail with a blank") << 2 << "me @example.com" << "244 left" << "it holds blanks";
    QTest::newRow("e-mail without domain") << 2 << "me@localhost" << "247 left"
                                           << "after the @ comes no domain name such as example.com";
  }

  void fieldsSayWhatIsLeftAndAnEmailThatIsNoAddressIsWarnedOf() {
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(QString, left);
    QFETCH(QString, emailProblem);
    core::WebsiteProfile profile;
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    edit(dialog, 0)->setText(QStringLiteral("http://www.example.com/"));
    dialog.show();
    QCOMPARE(dialog.leftLabel(10), nullptr);  // a list has no limit to tell
    // Typed in as the user does (key clicks cannot give letters outside ASCII).
    if (auto* line = edit(dialog, index)) {
      line->insert(typed);
    } else {
      qobject_cast<QPlainTextEdit*>(dialog.control(index))->insertPlainText(typed);
    }
    QCOMPARE(dialog.leftLabel(index)->text(), left);
    // Within the limit a grey note, past it a warning.
    QCOMPARE(dialog.leftLabel(index)->isEnabled(), left.endsWith(QStringLiteral("too many")));
    QCOMPARE(dialog.emailProblemLabel()->isVisible(), !emailProblem.isEmpty());
    if (!emailProblem.isEmpty()) {
      QCOMPARE(dialog.emailProblemLabel()->text(),
               QStringLiteral("This is no e-mail address: %1. Directories may refuse it.").arg(emailProblem));
      dialog.okButton()->click();  // the directories decide
      QCOMPARE(QString::fromUtf8(profile.email), typed);
    }
  }

  void tabVisitsTheControlsInOrder() {
    core::WebsiteProfile profile;
    ui::ProfileDialog dialog(profile, ui::ProfileDialog::Mode::Blank);
    edit(dialog, 0)->setText(QStringLiteral("http://www.example.com/"));  // OK enabled
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.control(0)->setFocus();
    for (int i = 1; i < 19; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), dialog.control(i));
    }
  }
};

QTEST_MAIN(TestProfileDialog)
#include "test_profile_dialog.moc"
