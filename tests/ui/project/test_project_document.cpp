// The project document: New, Open, Save, Save As, the recent files, the
// profile edit, where file dialogs start, and that failed or cancelled operations keep the open project.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "core/fixed_text.h"
#include "core/settings_store.h"
#include "tests/ui/ui_test_support.h"
#include "ui/app/command_host.h"
#include "ui/app/command_ids.h"
#include "ui/app/larkspur_application.h"
#include "ui/lists/engine_list_view.h"
#include "ui/lists/navigation_view.h"
#include "ui/project/profile_dialog.h"
#include "ui/project/project_document.h"
#include "ui/project/recent_files.h"

using namespace larkspur;
using namespace larkspur::ui;

class TestProjectDocument : public test::ProgramTest {
  Q_OBJECT

 private:
  ProjectDocument* doc() const { return app().doc(); }
  core::Project& project() const { return app().project(); }
  EngineListView* engineView() const { return app().host()->itemView()->engineView(); }

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    program_ = std::make_unique<test::ProgramFixture>();
    QVERIFY(program_->start("http://www.example.com/", "Germany", [](core::Project& p) {
      p.engines.at(1)->submit_state = "Submit-OK";
      core::copyText(p.profile.category, "Business");
    }));
  }

  void cleanup() { program_.reset(); }

  void cancelledNewKeepsTheOpenProject() {
    QPointer<EngineListView> view = engineView();
    doc()->setModified(true);
    boxes().queueAnswer(QMessageBox::No);  // do not save first
    bool sawDialog = false;
    test::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      QVERIFY(dialog);
      sawDialog = true;
      QCOMPARE(static_cast<QLineEdit*>(dialog->control(0))->text(), QStringLiteral("http://"));
      dialog->cancelButton()->click();
    });
    QVERIFY(!doc()->fileNew());
    QVERIFY(sawDialog);
    QCOMPARE(boxes().texts(), QStringList{QStringLiteral("Save changes to site.lkr?")});
    QCOMPARE(QString::fromUtf8(project().profile.url), QStringLiteral("http://www.example.com/"));
    QCOMPARE(QString::fromUtf8(project().engines.at(1)->submit_state.c_str()), QStringLiteral("Submit-OK"));
    QCOMPARE(doc()->pathName(), projectPath());
    QCOMPARE(engineView(), view.data());
    QVERIFY(doc()->isModified());
  }

  void acceptedNewStartsAFreshProject() {
    app().settings().engine_column_widths[0] = 200;
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      QVERIFY(dialog);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("https://new.example.org:8080/x"));
      dialog->okButton()->click();
    });
    QVERIFY(doc()->fileNew());
    QCOMPARE(doc()->title(), QStringLiteral("new.example.org"));
    QVERIFY(doc()->pathName().isEmpty());
    QVERIFY(doc()->isModified());
    QCOMPARE(QString::fromUtf8(project().engines.at(1)->submit_state.c_str()), QString());
    QCOMPARE(app().settings().engine_column_widths[0], 88);
    QCOMPARE(engineView()->columnWidth(0), 88);
    QCOMPARE(QString::fromUtf8(project().profile.host), QStringLiteral("new.example.org"));
  }

  void openingAFileThatDoesNotParseKeepsTheOpenProject() {
    QPointer<EngineListView> view = engineView();
    const QString broken = program_->path(QStringLiteral("broken.lkr"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(300, 'x'));
    file.close();
    QVERIFY(!doc()->openDocumentFile(broken));
    QCOMPARE(boxes().texts(), QStringList{QStringLiteral("Data error!")});
    QCOMPARE(project().engines.size(), std::size_t{342});
    QCOMPARE(QString::fromUtf8(project().engines.at(1)->submit_state.c_str()), QStringLiteral("Submit-OK"));
    QCOMPARE(doc()->title(), QStringLiteral("http://www.example.com/"));
    QCOMPARE(engineView(), view.data());
  }

  void saveWithoutPathAsksForANameAndRecordsTheLastProject() {
    test::FileDialogAnswers dialogs;
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("http://new.example.com/"));
      dialog->okButton()->click();
    });
    QVERIFY(doc()->fileNew());
    const QString target = program_->path(QStringLiteral("saved.lkr"));
    dialogs.queue(target);
    QVERIFY(doc()->save());
    QCOMPARE(dialogs.requests().size(), std::size_t{1});
    QCOMPARE(dialogs.requests()[0].filter, QStringLiteral("Larkspur File (*.lkr)"));
    QCOMPARE(dialogs.requests()[0].defaultSuffix, QStringLiteral("lkr"));
    QCOMPARE(QFileInfo(dialogs.requests()[0].proposedPath).fileName(), QStringLiteral("new.example.com.lkr"));
    QVERIFY(QFile::exists(target));
    QVERIFY(!doc()->isModified());
    QCOMPARE(QString::fromStdString(app().settings().last_project), target);
    QCOMPARE(doc()->recentFiles().paths().first(), target);

    // Save again goes to the same file without asking.
    doc()->setModified(true);
    QVERIFY(doc()->save());
    QCOMPARE(dialogs.requests().size(), std::size_t{1});

    // Unless another program saved over it meanwhile: then it asks, and No
    // keeps that program's file.
    {
      core::Project job;  // as a larkspur-cli job would
      QVERIFY(job.open(target.toStdString()).ok());
      core::copyText(job.profile.title, "By a job");
      QVERIFY(job.save(target.toStdString()).ok());
    }
    doc()->setModified(true);
    boxes().queueAnswer(QMessageBox::No);
    QVERIFY(!doc()->save());
    QVERIFY(doc()->isModified());
    QVERIFY(boxes().texts().last().startsWith(QStringLiteral("saved.lkr was changed on disk by another program")));
    boxes().queueAnswer(QMessageBox::Yes);
    QVERIFY(doc()->save());
    QVERIFY(doc()->save());  // what it saved itself is not a change
    QCOMPARE(boxes().texts().size(), qsizetype{2});

    // A cancelled Save As changes nothing.
    QVERIFY(!doc()->saveAs());
    QCOMPARE(QString::fromStdString(app().settings().last_project), target);
  }

  void fileDialogsStartWhereTheUserWorks() {
    // The documents folder, as the desktop's user folders name it.
    const QString documents = program_->path(QStringLiteral("My Documents"));
    QVERIFY(QDir().mkpath(documents));
    QFile folders(program_->path(QStringLiteral("user-dirs.dirs")));
    QVERIFY(folders.open(QIODevice::WriteOnly));
    folders.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
    folders.close();
    const QString folder = QFileInfo(projectPath()).absolutePath();
    test::FileDialogAnswers dialogs;  // each one cancelled
    const int commands[] = {kIdFileOpen, kIdFileSaveAs, kIdImportLinks, kIdOutputLinks};
    for (int command : commands) QVERIFY(app().host()->runCommand(command));
    // A project not saved yet: the documents folder.
    doc()->setModified(false);
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("http://new.example.com/"));
      dialog->okButton()->click();
    });
    QVERIFY(doc()->fileNew());
    for (int command : commands) QVERIFY(app().host()->runCommand(command));
    QStringList proposed;
    for (const FileDialogRequest& request : dialogs.requests()) proposed << request.proposedPath;
    QCOMPARE(proposed, (QStringList{folder, projectPath(), folder, folder + "/www.example.com-links.txt", documents,
                                    documents + "/new.example.com.lkr", documents,
                                    documents + "/new.example.com-links.txt"}));
  }

  void failedSaveKeepsTheModifiedFlagAndTheLastProject() {
    test::FileDialogAnswers dialogs;
    doc()->setModified(true);
    dialogs.queue(program_->path(QStringLiteral("no/such/folder/x.lkr")));
    QVERIFY(!doc()->saveAs());
    QCOMPARE(boxes().texts().size(), 1);
    QVERIFY(boxes().texts().first().startsWith(QStringLiteral("Unable to write to")));
    QVERIFY(doc()->isModified());
    QCOMPARE(QString::fromStdString(app().settings().last_project), projectPath());
  }

  void aPathTooLongForTheSettingsIsSavedButNotRecordedAsTheLastProject() {
    const QString folder =
        program_->path(QString(200, QLatin1Char('d')) + QLatin1Char('/') + QString(60, QLatin1Char('e')));
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/long.lkr");
    QVERIFY(static_cast<std::size_t>(target.toStdString().size()) > core::kLastProjectCapacity);
    QVERIFY(doc()->doSave(target));
    QVERIFY(QFile::exists(target));
    QCOMPARE(QString::fromStdString(app().settings().last_project), projectPath());
    QVERIFY(app().host()->statusMessage().contains(QStringLiteral("too long")));
    QVERIFY(boxes().texts().isEmpty());
  }

  void recentFilesKeepTheFourNewestAndSurviveARestart() {
    QStringList written;
    for (int i = 0; i < 5; ++i) {
      const QString path =
          program_->writeProject(QStringLiteral("p%1.lkr").arg(i), "http://p" + std::to_string(i) + ".example.com/");
      QVERIFY(doc()->openDocumentFile(path));
      written.prepend(path);
    }
    QCOMPARE(doc()->recentFiles().paths(), written.mid(0, 4));
    // Opening the file that is open already reads nothing again.
    project().engines.at(0)->submit_state = "Submit-Error";
    QVERIFY(doc()->openDocumentFile(written.first()));
    QCOMPARE(QString::fromUtf8(project().engines.at(0)->submit_state.c_str()), QStringLiteral("Submit-Error"));

    QVERIFY(app().shutDown());
    RecentFiles reloaded;
    reloaded.load(app().recentFilesPath());
    QCOMPARE(reloaded.paths(), written.mid(0, 4));
    core::SettingsStore store(core::SettingsStore::defaultFolder());
    core::Settings settings;
    QVERIFY(store.load(settings).ok());
    QCOMPARE(QString::fromStdString(settings.last_project), written.first());
  }

  void editingTheProfileMarksTheProjectModified() {
    doc()->setModified(false);
    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      QVERIFY(dialog);
      QCOMPARE(static_cast<QLineEdit*>(dialog->control(0))->text(), QStringLiteral("http://www.example.com/"));
      QCOMPARE(dialog->countryList()->currentText(), QStringLiteral("Germany"));
      dialog->okButton()->click();  // nothing changed (the lists show what the profile holds)
    });
    QVERIFY(doc()->editProfile());
    QVERIFY(!doc()->isModified());

    test::whenModal([](QWidget* modal) {
      auto* dialog = qobject_cast<ProfileDialog*>(modal);
      static_cast<QLineEdit*>(dialog->control(0))->setText(QStringLiteral("http://changed.example.net/"));
      dialog->okButton()->click();
    });
    QVERIFY(doc()->editProfile());
    QVERIFY(doc()->isModified());
    QCOMPARE(QString::fromUtf8(project().profile.host), QStringLiteral("changed.example.net"));
    QCOMPARE(doc()->title(), QStringLiteral("http://www.example.com/"));  // the title stays
  }
};

QTEST_MAIN(TestProjectDocument)
#include "test_project_document.moc"
