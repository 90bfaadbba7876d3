// How the desktop program fits a Linux desktop: toolbar and message-box
// images from the icon theme (the program's own where the theme has none),
// lower-case patterns in every file dialog, and dialogs centred on the main
// window.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QRegularExpression>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "tests/ui/ui_test_support.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/app/main_window.h"
#include "ui/calculators/advertise_calculator_dialog.h"
#include "ui/calculators/calculator_commands.h"
#include "ui/dialogs/message_boxes.h"

using namespace larkspur;
using namespace larkspur::ui;

namespace {

// The colour every image of the test theme is painted in.
const QColor kThemeColour(200, 0, 0);

bool isThemeColoured(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(size, size).toImage();
  return !image.isNull() && image.pixelColor(image.width() / 2, image.height() / 2) == kThemeColour;
}

}  // namespace

class TestDesktopLook : public test::ProgramTest {
  Q_OBJECT

 private:
  QTemporaryDir themes_;

  MainWindow* frame() const { return app().frame(); }

  // A small icon theme with a few of the names the program asks for.
  void writeTheme() {
    const QString root = themes_.filePath(QStringLiteral("larkspur-test"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/16/actions")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/48/status")));
    QFile index(root + QStringLiteral("/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=larkspur-test\nDirectories=16/actions,48/status\n\n"
                "[16/actions]\nSize=16\nType=Fixed\n\n[48/status]\nSize=48\nType=Scalable\nMinSize=16\nMaxSize=256\n");
    index.close();
    auto image = [&](const QString& path, int size) {
      QImage picture(size, size, QImage::Format_ARGB32);
      picture.fill(kThemeColour);
      QVERIFY(picture.save(root + path));
    };
    image(QStringLiteral("/16/actions/document-new.png"), 16);
    image(QStringLiteral("/16/actions/go-next.png"), 16);
    image(QStringLiteral("/48/status/dialog-warning.png"), 48);
  }

 private slots:
  void initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    writeTheme();
    QIcon::setThemeSearchPaths({themes_.path()});
    QIcon::setThemeName(QStringLiteral("larkspur-test"));
  }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>(test::ProgramFixture::Boxes::kShown);
    QVERIFY(program_->start());
  }

  void cleanup() { program_.reset(); }

  void toolbarImagesComeFromTheTheme() {
    // Toolbar order: New, Open, Save, ..., then Back and Forward.
    QAction* forward = nullptr;
    for (QAction* action : frame()->toolBar()->actions()) {
      if (action->data().toInt() == kIdBrowserForward) forward = action;
    }
    QVERIFY(forward);
    QVERIFY(isThemeColoured(frame()->toolBar()->actions().first()->icon(), 16));  // document-new
    QVERIFY(isThemeColoured(forward->icon(), 16));                                // go-next
    // The theme has no document-open: the program's own image stands in.
    QAction* open = frame()->toolBar()->actions().at(1);
    QVERIFY(!open->icon().isNull());
    QVERIFY(!isThemeColoured(open->icon(), 16));
  }

  void messageBoxImagesComeFromTheTheme_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("fromTheme");
    QTest::newRow("warning: dialog-warning") << int(MessageBoxRequest::Kind::Warning) << true;
    QTest::newRow("information: not in the theme") << int(MessageBoxRequest::Kind::Plain) << false;
  }

  void messageBoxImagesComeFromTheTheme() {
    QFETCH(int, kind);
    QFETCH(bool, fromTheme);
    QPixmap shown;
    test::whenModal([&](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        shown = box->iconPixmap();
        box->accept();
      }
    });
    MessageBoxes::show(frame(), {static_cast<MessageBoxRequest::Kind>(kind), QStringLiteral("Larkspur"),
                                 QStringLiteral("Text"), QMessageBox::Ok, QMessageBox::Ok});
    QVERIFY(!shown.isNull());
    QCOMPARE(isThemeColoured(QIcon(shown), shown.width()), fromTheme);
  }

  void fileDialogPatternsAreLowerCase() {
    test::FileDialogAnswers dialogs;  // every dialog cancelled
    for (int id : {kIdFileOpen, kIdFileSaveAs, kIdCreateSubmitReport, kIdCreateLinksReport, kIdImportLinks,
                   kIdOutputLinks}) {
      QVERIFY2(frame()->runCommand(id), qPrintable(QString::number(id)));
    }
    QCOMPARE(dialogs.requests().size(), std::size_t{6});
    static const QRegularExpression pattern(QStringLiteral("\\(([^)]*)\\)"));
    for (const FileDialogRequest& request : dialogs.requests()) {
      int patterns = 0;
      for (const QRegularExpressionMatch& match : pattern.globalMatch(request.filter)) {
        const QString inside = match.captured(1);
        QVERIFY2(inside.startsWith(QStringLiteral("*.")), qPrintable(request.filter));
        QCOMPARE(inside, inside.toLower());
        ++patterns;
      }
      QVERIFY2(patterns > 0, qPrintable(request.filter));
    }
  }

  void dialogsOpenCentredOnTheMainWindow() {
    frame()->setGeometry(60, 40, 760, 540);
    frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame()));
    const QPoint centre = frame()->geometry().center();
    auto centred = [&](QWidget* dialog) {
      const QPoint at = dialog->geometry().center();
      return dialog->parentWidget() && dialog->parentWidget()->window() == frame() &&
             (at - centre).manhattanLength() <= 40;
    };
    for (int id : {kIdAppAbout, kIdOnlineUpdate, kIdEditWebsiteInfo}) {
      bool ok = false;
      test::whenModal([&](QWidget* modal) {
        ok = centred(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      });
      QVERIFY(frame()->runCommand(id));
      QVERIFY2(ok, qPrintable(QString::number(id)));
    }
    // The calculator is not modal.
    QVERIFY(frame()->runCommand(kIdRoiCalculator));
    AdvertiseCalculatorDialog* calculator = test::installed<CalculatorCommands>(app())->calculator();
    QVERIFY(calculator);
    QVERIFY(QTest::qWaitForWindowExposed(calculator));
    QVERIFY(centred(calculator));
    calculator->close();
  }
};

QTEST_MAIN(TestDesktopLook)
#include "test_desktop_look.moc"
