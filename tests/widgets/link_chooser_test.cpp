// "Open with...": the chooser dialog picks the program for a link type and
// leaves nothing behind in the user's home directory.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "widgets/hyperlink_label.h"
#include "widgets/link_registry.h"

namespace ottomix {

namespace {

QStringList contents(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
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
