// "Open with...": the chooser dialog picks the program for a link type and
// leaves nothing behind in the user's home directory.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_registry.h"

namespace ottomix {

namespace {

QStringList contents(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
}

// The names a file dialog view shows in the folder it looks at.
QStringList shownNames(const QAbstractItemView& view) {
    const QAbstractItemModel* model = view.model();
    const QModelIndex root = view.rootIndex();
    const auto* list = qobject_cast<const QListView*>(&view);
    const auto* tree = qobject_cast<const QTreeView*>(&view);
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row) {
        if (list && list->isRowHidden(row)) continue;
        if (tree && tree->isRowHidden(row, root)) continue;
        names << model->index(row, 0, root).data().toString();
    }
    names.sort();
    return names;
}

// Makes a file with the given permissions.
bool writeFile(const QString& path, QFileDevice::Permissions permissions) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n") < 0) return false;
    file.close();
    return file.setPermissions(permissions);
}

}  // namespace

class LinkChooserTest : public QObject {
    Q_OBJECT
  public:
    explicit LinkChooserTest(QString home) : home_(std::move(home)) {}

  private slots:
    void chooserIsConfiguredForPrograms() {
        auto chooser = LinkRegistry::instance().createChooser();
        QCOMPARE(chooser->windowTitle(), QString("Select application for ..."));
        QCOMPARE(chooser->nameFilters().first(), QString("Applications (*)"));
        QCOMPARE(chooser->selectedNameFilter(), QString("Applications (*)"));
        QCOMPARE(chooser->fileMode(), QFileDialog::ExistingFile);
        QVERIFY(chooser->testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(chooser->filter() & QDir::Executable);
    }

    void applicationsFilterShowsFoldersAndProgramsAllFilesShowsEverything() {
        QTemporaryDir dir;
        const auto plain = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(writeFile(dir.filePath("tool"), plain | QFile::ExeOwner));
        QVERIFY(writeFile(dir.filePath("notes.txt"), plain));
        QVERIFY(writeFile(dir.filePath(".hidden-tool"), plain | QFile::ExeOwner));
        QVERIFY(QDir(dir.path()).mkdir("folder"));

        auto chooser = LinkRegistry::instance().createChooser();
        auto* files = chooser->findChild<QFileSystemModel*>();
        auto* list = chooser->findChild<QListView*>("listView");
        auto* tree = chooser->findChild<QTreeView*>("treeView");
        auto* filters = chooser->findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(files && list && tree && filters);
        QSignalSpy loaded(files, &QFileSystemModel::directoryLoaded);
        chooser->setDirectory(dir.path());
        chooser->show();
        QVERIFY(QTest::qWaitForWindowExposed(chooser.get()));
        // The chooser starts in /usr/bin, which the model reads first.
        QTRY_VERIFY_WITH_TIMEOUT(loaded.contains(QVariantList{dir.path()}), 30000);

        // Folders to go through (the parent too) and programs to pick; a plain
        // file is no program. Hidden files stay hidden under either filter.
        const QStringList programs{"..", "folder", "tool"};
        QTRY_COMPARE(shownNames(*list), programs);
        QCOMPARE(shownNames(*tree), programs);

        // As a user would: the next entry of the filter box.
        QCOMPARE(filters->currentText(), QString("Applications (*)"));
        QTest::keyClick(filters, Qt::Key_Down);
        QCOMPARE(filters->currentText(), QString("All files (*)"));
        const QStringList everything{"..", "folder", "notes.txt", "tool"};
        QTRY_COMPARE(shownNames(*list), everything);
        QCOMPARE(shownNames(*tree), everything);

        QTest::keyClick(filters, Qt::Key_Up);
        QCOMPARE(filters->currentText(), QString("Applications (*)"));
        QTRY_COMPARE(shownNames(*list), programs);
        QCOMPARE(shownNames(*tree), programs);
        chooser->close();
    }

    void openWithSetsTheTypeApplicationAndPersistsNothing() {
        QVERIFY2(contents(home_).isEmpty(), qPrintable(contents(home_).join(", ")));
        QTemporaryDir programs;
        const QString program = programs.filePath("my-browser");
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        HyperlinkLabel link;
        link.setLinkType(LinkType::Http);
        link.setCaption("www.chooser.example");
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!chooser) return;
            title = chooser->windowTitle();
            chooser->setDirectory(programs.path());
            // As a user would: type the path and press Enter.
            auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
            if (!name) return;
            name->setText(program);
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTimer::singleShot(10000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        for (QAction* action : link.popupMenu()->actions()) {
            if (action->text() == "Open with...") action->trigger();
        }
        QCOMPARE(title, QString("Select application for ..."));
        QCOMPARE(LinkRegistry::instance().typeApplication(LinkType::Http), program);
        QCOMPARE(LinkRegistry::instance().typeApplication(LinkType::Email), QString());
        QCoreApplication::processEvents();
        QVERIFY2(contents(home_).isEmpty(), qPrintable(contents(home_).join(", ")));
    }

    void cancelledChooserKeepsTheProgram() {
        HyperlinkLabel link;
        link.setLinkType(LinkType::Http);
        link.setCaption("www.chooser.example");
        const QString before = LinkRegistry::instance().typeApplication(LinkType::Http);
        QTimer::singleShot(0, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        LinkRegistry::instance().chooseApplication(&link);
        QCOMPARE(LinkRegistry::instance().typeApplication(LinkType::Http), before);
        QVERIFY2(contents(home_).isEmpty(), qPrintable(contents(home_).join(", ")));
    }

  private:
    QString home_;
};

}  // namespace ottomix

int main(int argc, char** argv) {
    // An empty home of our own: whatever the dialog would store would land here.
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    qputenv("HOME", home.path().toLocal8Bit());
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        qunsetenv(name);
    }
    QApplication app(argc, argv);
    ottomix::LinkChooserTest test(home.path());
    return QTest::qExec(&test, argc, argv);
}

#include "link_chooser_test.moc"
