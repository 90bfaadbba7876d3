// The link list: its columns and the "Item Select" menu, the export that
// follows them, add / edit / delete / cut / copy / import through the view
// with sorting applied, messages from the workers, and clicks that show a
// link's page in the browser pane.

#include <QClipboard>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "core/fixed_text.h"
#include "core/link_import.h"
#include "core/link_list.h"
#include "core/settings_store.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/fake_page_opener.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/link_command_ids.h"
#include "ui/lists/link_dialog.h"
#include "ui/lists/link_list_view.h"

using namespace larkspur;
using View = ui::LinkListView;

namespace {

core::LinkRecord makeLink(const char* url, int32_t rank, const char* text = "", const char* email = "") {
  core::LinkRecord r = core::zeroLinkRecord();
  r.url = url;
  r.link_text = text;
  r.email = email;
  r.page_rank = rank;
  return r;
}

using larkspur::test::UrlRecorder;

QMenu* itemSelectMenu(QMenu* menu) {
  for (QAction* a : menu->actions()) {
    if (a->menu() && a->text() == QStringLiteral("Item Select")) return a->menu();
  }
  return nullptr;
}

}  // namespace

class TestLinkListView : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<core::LinkList> links_;
  std::unique_ptr<View> view_;
  std::unique_ptr<test::MessageBoxRecorder> boxes_;
  std::unique_ptr<test::FileDialogAnswers> dialogs_;
  QTemporaryDir dir_;

  QString cell(int row, int column) const { return view_->topLevelItem(row)->text(column); }
  QStringList column(int c) const {
    QStringList texts;
    for (int r = 0; r < view_->rowCount(); ++r) texts << cell(r, c);
    return texts;
  }
  int rowOfUrl(const QString& url) const { return column(View::kColumnUrl).indexOf(url); }
  void select(std::initializer_list<int> rows) {
    view_->clearSelection();
    for (int r : rows) view_->topLevelItem(r)->setSelected(true);
  }
  QStringList listUrls() const {
    QStringList urls;
    for (const auto& r : links_->snapshot()) urls << QString::fromUtf8(r->url.c_str());
    return urls;
  }
  void sortByUrl(Qt::SortOrder order) { view_->header()->setSortIndicator(View::kColumnUrl, order); }
  QPoint rowCenter(int row) const { return view_->visualItemRect(view_->topLevelItem(row)).center(); }
  QString readAll(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<missing>");
    return QString::fromUtf8(file.readAll());
  }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    boxes_ = std::make_unique<test::MessageBoxRecorder>();
    dialogs_ = std::make_unique<test::FileDialogAnswers>();
    links_ = std::make_unique<core::LinkList>();
    links_->append(makeLink("http://bravo.example/", 3, "Bravo page", "web@bravo.example"));
    links_->append(makeLink("http://alpha.example/", -1, "Alpha"));
    links_->append(makeLink("http://delta.example/", 0));
    links_->append(makeLink("http://charlie.example/", 7));
    view_ = std::make_unique<View>(*links_, core::Settings::defaultLinkColumnWidths());
    view_->resize(700, 400);
    view_->fill();
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
  }

  void cleanup() {
    view_.reset();
    links_.reset();
    dialogs_.reset();
    boxes_.reset();
  }

  void rowsColumnsAndStatus() {
    QCOMPARE(view_->columnCount(), View::kColumnCount);  // the check's columns after the six
    QStringList titles;
    for (int c = 0; c < 6; ++c) titles << view_->headerItem()->text(c);
    QCOMPARE(titles, (QStringList{"Link URL", "Link Title", "Rank", "Note", "Email", "IP Address"}));
    QCOMPARE(column(View::kColumnUrl), (QStringList{"http://bravo.example/", "http://alpha.example/",
                                                    "http://delta.example/", "http://charlie.example/"}));
    QCOMPARE(column(View::kColumnRank), (QStringList{"3", "-", "0", "7"}));
    QCOMPARE(view_->columnWidth(View::kColumnUrl), 330);
    QCOMPARE(view_->columnWidth(View::kColumnRank), 40);
    for (int c : {1, 3, 4, 5}) QVERIFY(!view_->columnShown(c));
    QCOMPARE(view_->statusText(), QStringLiteral("Total Link:   4 Select:   0"));
    QSignalSpy status(view_.get(), &View::statusTextChanged);
    view_->selectAllRows();
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Total Link:   4 Select:   4"));
    select({0, 2});
    view_->invertSelection();
    QCOMPARE(view_->selectedRows(), (std::vector<int>{1, 3}));
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Total Link:   4 Select:   2"));
  }

  void itemSelectMenuHidesAndShowsColumnsAndTheExportFollows() {
    std::unique_ptr<QMenu> menu = view_->makeContextMenu();
    QMenu* columns = itemSelectMenu(menu.get());
    QVERIFY(columns);
    QStringList entries;
    for (QAction* a : columns->actions()) {
      entries << QStringLiteral("%1=%2%3").arg(a->text()).arg(a->data().toInt()).arg(a->isChecked() ? "*" : "");
    }
    QCOMPARE(entries.mid(0, View::kFirstDetailColumn),
             (QStringList{"Link URL=32001*", "Link Title=32002", "Rank=32003*", "Note=32004", "Email=32005",
                          "IP Address=32006"}));

    // Show "Email" (at least 80 wide, and readable), hide "Rank".
    columns->actions()[View::kColumnEmail]->trigger();
    columns->actions()[View::kColumnRank]->trigger();
    QVERIFY(view_->columnShown(View::kColumnEmail));
    QVERIFY(view_->columnWidth(View::kColumnEmail) >=
            std::max(80, std::min(view_->contentWidth(View::kColumnEmail), view_->viewport()->width() / 2)));
    QVERIFY(!view_->columnShown(View::kColumnRank));
    // The menu is rebuilt each time and shows the new state.
    menu = view_->makeContextMenu();
    columns = itemSelectMenu(menu.get());
    QVERIFY(columns->actions()[View::kColumnEmail]->isChecked());
    QVERIFY(!columns->actions()[View::kColumnRank]->isChecked());
    // A hidden column cannot be widened.
    view_->header()->resizeSection(View::kColumnRank, 70);
    QVERIFY(!view_->columnShown(View::kColumnRank));

    // The export takes the shown columns and the rows as sorted.
    sortByUrl(Qt::AscendingOrder);
    const QString path = dir_.filePath(QStringLiteral("links.txt"));
    dialogs_->queue(path);
    view_->outputLinks();
    QCOMPARE(dialogs_->requests().size(), std::size_t{1});
    QCOMPARE(dialogs_->requests()[0].mode, ui::FileDialogRequest::Mode::Save);
    QCOMPARE(dialogs_->requests()[0].defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(dialogs_->requests()[0].filter,
             QStringLiteral("TXT File (*.txt);;HTML File (*.htm *.html);;XML File (*.xml);;Excel Workbook (*.xlsx *.xls)"));
    QCOMPARE(readAll(path), QStringLiteral("Link URL,Email\r\n"
                                           "http://alpha.example/,\r\n"
                                           "http://bravo.example/,web@bravo.example\r\n"
                                           "http://charlie.example/,\r\n"
                                           "http://delta.example/,\r\n"));

    // Shown again, "Rank" comes back with its title whole (48 would cut it)
    // and in the export.
    menu = view_->makeContextMenu();
    itemSelectMenu(menu.get())->actions()[View::kColumnRank]->trigger();
    QVERIFY(view_->columnWidth(View::kColumnRank) >= std::max(48, view_->contentWidth(View::kColumnRank)));
    sortByUrl(Qt::DescendingOrder);
    const QString xml = dir_.filePath(QStringLiteral("links.XmL"));
    dialogs_->queue(xml);
    view_->outputLinks();
    const QString written = readAll(xml);
    QVERIFY2(written.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<REPORT>\n<LINK>\r\n"
                                               "<LinkURL>http://delta.example/</LinkURL>\r\n<Rank>0</Rank>\r\n"
                                               "<Email></Email>\r\n</LINK>")),
             qPrintable(written));

    // A name typed without an extension takes the chosen filter's; the file
    // holds what its name says.
    struct Case {
      const char* typed;
      const char* filter;
      const char* written;
      const char* startsWith;
    };
    const Case cases[] = {
        {"plain", "TXT File (*.txt)", "plain.txt", "Link URL,Rank,Email\r\n"},
        {"table", "HTML File (*.htm *.html)", "table.htm", "<table border=\"1\"><tr><td>Link URL</td>"},
        {"page.html", "TXT File (*.txt)", "page.html", "<table border=\"1\"><tr><td>Link URL</td>"},
        {"data", "XML File (*.xml)", "data.xml", "<?xml version=\"1.0\""},
        {"book", "Excel Workbook (*.xlsx *.xls)", "book.xlsx", "PK"},
        {"old.xls", "TXT File (*.txt)", "old.xls", "PK"},
    };
    for (const Case& c : cases) {
      dialogs_->queue(dir_.filePath(QString::fromLatin1(c.typed)), QString::fromLatin1(c.filter));
      view_->outputLinks();
      QFile file(dir_.filePath(QString::fromLatin1(c.written)));
      QVERIFY2(file.open(QIODevice::ReadOnly), c.written);
      const QByteArray bytes = file.readAll();
      QVERIFY2(bytes.startsWith(c.startsWith), c.written);
      if (QByteArray(c.startsWith).startsWith("<table")) QVERIFY2(bytes.endsWith("</table>"), c.written);
    }
  }

  void cellsAndExportsShowControlCharactersVisibly() {
    const std::string url = "http://e.example/\x1b[2J";
    view_->handleMessage(
        {core::MessageId::kLinkFound, links_->append(makeLink(url.c_str(), 1, "Title\x1b]0;x\x07", "a@e.example\n")), 0, {}});
    const int row = column(View::kColumnUrl).indexOf(QString::fromUtf8("http://e.example/\u241B[2J"));
    QVERIFY2(row >= 0, qPrintable(column(View::kColumnUrl).join(QLatin1Char('|'))));
    QCOMPARE(view_->topLevelItem(row)->text(View::kColumnEmail), QString::fromUtf8("a@e.example\u240A"));
    const QString path = dir_.filePath(QStringLiteral("bytes.txt"));
    dialogs_->queue(path);
    view_->outputLinks();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(written.contains(QByteArray("http://e.example/\xe2\x90\x9b[2J")));
    QVERIFY(!written.contains('\x1b'));
  }

  void addEditAndDeleteWithSortingApplied() {
    sortByUrl(Qt::DescendingOrder);
    QCOMPARE(column(View::kColumnUrl).first(), QStringLiteral("http://delta.example/"));
    QSignalSpy modified(view_.get(), &View::recordsModified);

    // An empty URL is refused and the dialog stays open; Cancel adds nothing.
    bool stayedOpen = false;
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<ui::LinkDialog*>(modal);
      QVERIFY(dialog);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Link URL"));
      dialog->okButton()->click();
      stayedOpen = dialog->isVisible();
      dialog->cancelButton()->click();
    });
    view_->addLink();
    QVERIFY(stayedOpen);
    QCOMPARE(boxes_->texts(), QStringList{QStringLiteral("Please input the Link URL!")});
    QCOMPARE(links_->size(), std::size_t{4});
    QCOMPARE(modified.count(), 0);

    // A title over 512 characters names the limit.
    boxes_->clear();
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<ui::LinkDialog*>(modal);
      dialog->edit(1014)->setText(QStringLiteral("http://echo.example/"));
      dialog->edit(1015)->setText(QString(513, QLatin1Char('t')));
      dialog->okButton()->click();
      dialog->edit(1015)->setText(QStringLiteral("Echo"));
      dialog->edit(1020)->setText(QStringLiteral("my note"));
      dialog->okButton()->click();
    });
    view_->addLink();
    QCOMPARE(boxes_->texts(), QStringList{QStringLiteral("Please enter no more than 512 characters.")});
    QCOMPARE(links_->size(), std::size_t{5});
    QCOMPARE(modified.count(), 1);
    // Appended at the end of the list and of the rows, whatever the order.
    const core::LinkList::Ptr added = links_->at(4);
    QCOMPARE(QString::fromUtf8(added->url.c_str()), QStringLiteral("http://echo.example/"));
    QVERIFY(added->add_time > 0);
    QCOMPARE(view_->rowOf(added.get()), 4);
    QCOMPARE(cell(4, View::kColumnNote), QStringLiteral("my note"));

    // Edit works on the first selected row's record, found after sorting.
    const int bravo = rowOfUrl(QStringLiteral("http://bravo.example/"));
    select({bravo, rowOfUrl(QStringLiteral("http://alpha.example/"))});
    const int firstSelected = std::min(bravo, rowOfUrl(QStringLiteral("http://alpha.example/")));
    const QString editedUrl = cell(firstSelected, View::kColumnUrl);
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<ui::LinkDialog*>(modal);
      QCOMPARE(dialog->edit(1014)->text(), editedUrl);
      dialog->edit(1015)->setText(QStringLiteral("Edited title"));
      dialog->edit(1018)->setText(QStringLiteral("Jo"));
      dialog->okButton()->click();
    });
    view_->editLink();
    QCOMPARE(modified.count(), 2);
    QCOMPARE(cell(firstSelected, View::kColumnTitle), QStringLiteral("Edited title"));
    QCOMPARE(view_->topLevelItem(firstSelected)->toolTip(View::kColumnEmail), QStringLiteral("Contact name: Jo"));
    const core::LinkList::Ptr editedRecord = links_->find(view_->recordAt(firstSelected));
    QCOMPARE(QString::fromUtf8(editedRecord->link_text.c_str()), QStringLiteral("Edited title"));
    QCOMPARE(QString::fromUtf8(editedRecord->url.c_str()), editedUrl);

    // Delete removes exactly the records of the selected rows.
    const QString gone1 = cell(0, View::kColumnUrl);
    const QString gone2 = cell(2, View::kColumnUrl);
    select({0, 2});
    view_->deleteSelected();
    QCOMPARE(modified.count(), 3);
    QCOMPARE(links_->size(), std::size_t{3});
    QVERIFY(!listUrls().contains(gone1));
    QVERIFY(!listUrls().contains(gone2));
    QCOMPARE(view_->rowCount(), 3);
    QStringList shown = column(View::kColumnUrl);
    QStringList inList = listUrls();
    shown.sort();
    inList.sort();
    QCOMPARE(shown, inList);
    QCOMPARE(view_->statusText(), QStringLiteral("Total Link:   3 Select:   0"));
  }

  void copyAndCutPutTheSelectedUrlsOnTheClipboard() {
    sortByUrl(Qt::AscendingOrder);  // alpha, bravo, charlie, delta
    QClipboard* clipboard = QGuiApplication::clipboard();
    select({3, 1});
    QVERIFY(view_->copy());
    QCOMPARE(clipboard->text(), QStringLiteral("http://bravo.example/\r\nhttp://delta.example/\r\n"));
    QCOMPARE(links_->size(), std::size_t{4});

    select({0});
    view_->cut();
    QCOMPARE(clipboard->text(), QStringLiteral("http://alpha.example/\r\n"));
    QCOMPARE(links_->size(), std::size_t{3});
    QVERIFY(!listUrls().contains(QStringLiteral("http://alpha.example/")));
    QCOMPARE(column(View::kColumnUrl).first(), QStringLiteral("http://bravo.example/"));

    view_->clearSelection();
    QVERIFY(view_->copy());
    QCOMPARE(clipboard->text(), QString());

    // Far more than 64 KiB: all of it goes on the clipboard.
    QString expected;
    for (int i = 0; i < 200; ++i) {
      const QString url = QStringLiteral("http://long.example/%1/").arg(i) + QString(480, QLatin1Char('x'));
      view_->handleMessage({core::MessageId::kLinkFound,
                            links_->append(makeLink(url.toUtf8().constData(), 1)), 0, {}});
      expected += url + QStringLiteral("\r\n");
    }
    view_->clearSelection();
    for (int r = 3; r < view_->rowCount(); ++r) view_->topLevelItem(r)->setSelected(true);
    QVERIFY(view_->copy());
    QVERIFY(expected.size() > 65536);
    QCOMPARE(clipboard->text(), expected);
    QVERIFY(boxes_->texts().isEmpty());
  }

  void importAddsEveryLineThatMentionsHttp() {
    sortByUrl(Qt::DescendingOrder);
    const QString path = dir_.filePath(QStringLiteral("import.txt"));
    test::writeFile(path.toStdString(), "http://foxtrot.example/page\r\nno address here\n \t HTTP://GOLF.EXAMPLE/  \n");
    QSignalSpy modified(view_.get(), &View::recordsModified);
    QSignalSpy status(view_.get(), &View::statusTextChanged);
    dialogs_->queue(path);
    view_->importLinks();
    QCOMPARE(dialogs_->requests()[0].mode, ui::FileDialogRequest::Mode::Open);
    QCOMPARE(dialogs_->requests()[0].filter, QStringLiteral("Link files (*.csv *.tsv *.txt *.zip);;TEXT (*.txt)"));
    QCOMPARE(links_->size(), std::size_t{6});
    QCOMPARE(column(View::kColumnUrl).mid(4), (QStringList{"http://foxtrot.example/page", "HTTP://GOLF.EXAMPLE/"}));
    QVERIFY(links_->at(5)->add_time > 0);
    QCOMPARE(modified.count(), 1);
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Total Link:   6 Select:   0"));

    // The same file again adds every link again.
    dialogs_->queue(path);
    view_->importLinks();
    QCOMPARE(view_->rowCount(), 8);

    // A file that cannot be read adds nothing.
    dialogs_->queue(dir_.filePath(QStringLiteral("missing.txt")));
    view_->importLinks();
    QCOMPARE(boxes_->texts(), QStringList{QString::fromLatin1(core::kImportOpenError)});
    QCOMPARE(view_->rowCount(), 8);
    // Cancelled: nothing at all.
    view_->importLinks();
    QCOMPARE(view_->rowCount(), 8);

    // A backlink export: its rows and the summary in a box.
    boxes_->clear();
    const QString csv = dir_.filePath(QStringLiteral("links.csv"));
    test::writeFile(csv.toStdString(), "Linking page,Last crawled\nhttp://hotel.example/,2024-05-01\nmailto:x@y\n");
    dialogs_->queue(csv);
    view_->importLinks();
    QCOMPARE(view_->rowCount(), 9);
    QCOMPARE(boxes_->texts(), QStringList{QStringLiteral("Read 2 rows: 1 added, 1 left out (1 not an http(s) page).")});
  }

  void workerMessagesAddAndRefreshRowsByRecord() {
    sortByUrl(Qt::DescendingOrder);  // delta, charlie, bravo, alpha
    // A found link is appended once, even when announced twice.
    core::LinkRecord* found = links_->append(makeLink("http://hotel.example/", 4));
    view_->handleMessage({core::MessageId::kLinkFound, found, 0, {}});
    view_->handleMessage({core::MessageId::kLinkFound, found, 0, {}});
    QCOMPARE(view_->rowCount(), 5);
    QCOMPARE(cell(4, View::kColumnUrl), QStringLiteral("http://hotel.example/"));
    // A record no longer in the list gets no row.
    core::LinkRecord* removed = links_->append(makeLink("http://india.example/", 4));
    QVERIFY(links_->remove(removed));
    view_->handleMessage({core::MessageId::kLinkFound, removed, 0, {}});
    view_->handleMessage({core::MessageId::kLinkFound, nullptr, 0, {}});
    QCOMPARE(view_->rowCount(), 5);

    // A changed record is refreshed in its row, wherever sorting put it; the
    // row index sent with it is the list index.
    core::LinkList::Ptr bravo = links_->at(0);
    links_->withLock([&] {
      bravo->page_rank = 9;
      bravo->ip = "127.0.0.9";
      bravo->email = "new@bravo.example";
      bravo->link_text = "not refreshed by this message";
    });
    view_->handleMessage({core::MessageId::kRecordChanged, bravo.get(), 0, {}});
    const int row = rowOfUrl(QStringLiteral("http://bravo.example/"));
    QCOMPARE(row, 2);
    QCOMPARE(cell(row, View::kColumnRank), QStringLiteral("9"));
    QCOMPARE(cell(row, View::kColumnIp), QStringLiteral("127.0.0.9"));
    QCOMPARE(cell(row, View::kColumnEmail), QStringLiteral("new@bravo.example"));
    QCOMPARE(cell(row, View::kColumnTitle), QStringLiteral("Bravo page"));
    // Deleted while an update still held it: the message changes nothing.
    select({row});
    view_->deleteSelected();
    view_->handleMessage({core::MessageId::kRecordChanged, bravo.get(), 0, {}});
    QCOMPARE(view_->rowCount(), 4);
  }

  void clicksAndStepsShowTheLinkInTheBrowserPane() {
    test::FakePageOpener pane;
    view_->setOpenerSource([&pane] { return &pane; });
    // No page yet: a click opens one.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(0));
    QCOMPARE(pane.opened.size(), std::size_t{1});
    QCOMPARE(pane.opened[0], (std::pair<QString, bool>{"http://bravo.example/", true}));
    QCOMPARE(view_->selectedRows(), std::vector<int>{0});
    // Another link: the selected page goes there.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QCOMPARE(pane.opened.back(), (std::pair<QString, bool>{"http://alpha.example/", false}));
    // A page that shows the link with a trailing "/" is brought to the front.
    pane.pages = {QStringLiteral("http://delta.example//"), QStringLiteral("http://charlie.example/")};
    pane.selected = 1;
    QSignalSpy status(view_.get(), &View::statusTextChanged);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(2));
    QCOMPARE(pane.selections, std::vector<int>{0});
    QCOMPARE(pane.opened.size(), std::size_t{2});
    QCOMPARE(view_->selectedRows(), std::vector<int>{2});
    QCOMPARE(status.count(), 1);

    // Down and Up move the selection and show the page in the selected page.
    view_->stepDown();
    QCOMPARE(view_->selectedRows(), std::vector<int>{3});
    QCOMPARE(pane.opened.back(), (std::pair<QString, bool>{"http://charlie.example/", false}));
    view_->stepDown();
    QCOMPARE(view_->selectedRows(), std::vector<int>{3});
    select({0});
    view_->stepUp();
    QCOMPARE(view_->selectedRows(), std::vector<int>{0});

    // A double click and "Open in new window" open a new page.
    const std::size_t before = pane.opened.size();
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QCOMPARE(pane.opened.back(), (std::pair<QString, bool>{"http://alpha.example/", true}));
    select({3});
    view_->openInNewWindow();
    QCOMPARE(pane.opened.back(), (std::pair<QString, bool>{"http://charlie.example/", true}));
    view_->clearSelection();
    const std::size_t now = pane.opened.size();
    view_->openInNewWindow();
    QCOMPARE(pane.opened.size(), now);
    QVERIFY(now > before);
  }

  void openInBrowserAndSendEmailUseTheDesktop() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
    view_->clearSelection();
    view_->openInBrowser();
    view_->sendEmail();
    QVERIFY(recorder.urls.isEmpty());
    select({0, 1});
    view_->openInBrowser();
    view_->sendEmail();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(recorder.urls, (QList<QUrl>{QUrl(QStringLiteral("http://bravo.example/")),
                                         QUrl(QStringLiteral("mailto:web@bravo.example"))}));
  }
};

QTEST_MAIN(TestLinkListView)
#include "test_link_list_view.moc"
