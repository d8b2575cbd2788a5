// Opening a link: handlers, vetoes, results, type applications and the launcher.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "link_test_support.h"

namespace ottomix {

// Takes the place of the desktop for addresses without a scheme.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QString(), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QString()); }

    Q_INVOKABLE void open(const QUrl& url) { urls << url.toString(); }

    QStringList urls;
};

class LinkOpeningTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { LinkRegistry::instance().resetVisited(); }

    void eventsRunInOrderAroundTheLaunch() {
        LaunchRecorder launcher;
        auto link = newLink(LinkType::Http, "events.example");
        QStringList calls;
        QObject* senders[3] = {};
        link->setBeforeOpenHandler([&](QObject* sender, bool& execute) {
            calls << QString("before:%1").arg(execute);
            senders[0] = sender;
        });
        link->setOpeningHandler([&](QObject* sender, bool& execute) {
            calls << QString("execute:%1 launched:%2").arg(execute).arg(launcher.launches.size());
            senders[1] = sender;
        });
        link->setAfterOpenHandler([&](QObject* sender, std::int32_t result) {
            calls << QString("after:%1 launched:%2 visited:%3")
                         .arg(result)
                         .arg(launcher.launches.size())
                         .arg(link->isVisited());
            senders[2] = sender;
        });
        link->click();
        QCOMPARE(calls, (QStringList{"before:1", "execute:1 launched:0",
                                     "after:33 launched:1 visited:1"}));
        for (QObject* sender : senders) QCOMPARE(sender, static_cast<QObject*>(link.get()));
    }

    void vetoedOpenLaunchesNothing_data() {
        QTest::addColumn<bool>("veto_before");
        QTest::newRow("before-open handler") << true;
        QTest::newRow("opening handler") << false;
    }
    void vetoedOpenLaunchesNothing() {
        QFETCH(bool, veto_before);
        LaunchRecorder launcher;
        auto link = newLink(LinkType::Http, "veto.example");
        bool executeCalled = false;
        bool afterCalled = false;
        link->setBeforeOpenHandler([&](QObject*, bool& execute) { execute = !veto_before; });
        link->setOpeningHandler([&](QObject*, bool& execute) {
            executeCalled = true;
            execute = false;
        });
        link->setAfterOpenHandler([&](QObject*, std::int32_t) { afterCalled = true; });
        link->click();
        QCOMPARE(executeCalled, !veto_before);
        QVERIFY(!afterCalled);
        QVERIFY(launcher.launches.empty());
        QVERIFY(!link->isVisited());
    }

    void resultDecidesVisited_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("visited");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("32 is a failure") << 32 << false;
        QTest::newRow("33") << 33 << true;
        QTest::newRow("42") << 42 << true;
    }
    void resultDecidesVisited() {
        QFETCH(int, result);
        QFETCH(bool, visited);
        LaunchRecorder launcher(result);
        auto link = newLink(LinkType::Email, "result.example");
        auto twin = newLink(LinkType::Http, "result.example");
        int reported = -1;
        link->setAfterOpenHandler([&](QObject*, std::int32_t r) { reported = r; });
        link->click();
        QCOMPARE(reported, result);
        QCOMPARE(link->isVisited(), visited);
        QCOMPARE(twin->isVisited(), visited);
    }

    void typeApplicationOpensItsTypeOnly() {
        LaunchRecorder launcher;
        LinkRegistry::instance().setTypeApplication(LinkType::Http, "/usr/local/bin/browser");
        auto web = newLink(LinkType::Http, "www.typed.example/a b");
        auto mail = newLink(LinkType::Email, "me@typed.example");
        web->click();
        mail->click();
        LinkRegistry::instance().setTypeApplication(LinkType::Http, QString());
        QCOMPARE(launcher.launches.size(), std::size_t{2});
        QCOMPARE(launcher.launches[0].first, QString("/usr/local/bin/browser"));
        QCOMPARE(launcher.launches[0].second, QString("http://www.typed.example/a b"));
        QCOMPARE(launcher.launches[1].first, QString());
        QCOMPARE(launcher.launches[1].second, QString("mailto:me@typed.example"));
    }

    void targetsOver255CharactersAreRefused() {
        LaunchRecorder launcher;
        const QString prefix = "http://";
        auto fits = newLink(LinkType::Http, QString(255 - prefix.size(), 'a'));
        auto tooLong = newLink(LinkType::Http, QString(256 - prefix.size(), 'b'));
        int reported = 0;
        tooLong->setAfterOpenHandler([&](QObject*, std::int32_t r) { reported = r; });
        fits->click();
        tooLong->click();
        QCOMPARE(launcher.launches.size(), std::size_t{1});
        QCOMPARE(launcher.launches[0].second.size(), 255);
        QCOMPARE(reported, kLaunchInvalidTarget);
        QVERIFY(reported <= 32);
        QVERIFY(fits->isVisited());
        QVERIFY(!tooLong->isVisited());
    }

    void optionLikeTargetsAreRefused_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("desktop") << QString();
        QTest::newRow("chosen program") << QString("/usr/local/bin/viewer");
    }
    void optionLikeTargetsAreRefused() {
        QFETCH(QString, program);
        LaunchRecorder launcher;
        LinkRegistry::instance().setTypeApplication(LinkType::Custom, program);
        auto option = newLink(LinkType::Custom, "--help");
        const QString target = option->launchTarget();
        int reported = 0;
        option->setAfterOpenHandler([&](QObject*, std::int32_t r) { reported = r; });
        option->click();
        auto plain = newLink(LinkType::Custom, "help");
        plain->click();
        LinkRegistry::instance().setTypeApplication(LinkType::Custom, QString());
        QCOMPARE(target, QString("--help"));
        // The code a too long target has always given.
        QCOMPARE(reported, 3);
        QCOMPARE(reported, kLaunchInvalidTarget);
        QVERIFY(!option->isVisited());
        QCOMPARE(launcher.launches.size(), std::size_t{1});
        QCOMPARE(launcher.launches[0].first, program);
        QCOMPARE(launcher.launches[0].second, QString("help"));
        QVERIFY(plain->isVisited());
    }

    void defaultLaunchStartsNothingForOptionLikeTargets() {
        QTemporaryDir dir;
        const QString log = dir.filePath("launches.txt");
        // A chosen program that notes every start of its own.
        const QString program = dir.filePath("viewer");
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QString("#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '%1'\n").arg(log).toLocal8Bit());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // What would go to the desktop is noted here instead.
        UrlRecorder desktop;

        QCOMPARE(defaultLaunch(program, "--help"), kLaunchInvalidTarget);
        QCOMPARE(defaultLaunch(program, "-"), kLaunchInvalidTarget);
        QCOMPARE(defaultLaunch(QString(), "--help"), kLaunchInvalidTarget);
        // Encoded for the desktop's opener this is "--help" again.
        QCOMPARE(defaultLaunch(QString(), "%2D-help"), kLaunchInvalidTarget);
        QVERIFY2(desktop.urls.isEmpty(), qPrintable(desktop.urls.join(", ")));

        // The same starts with harmless targets get through.
        QCOMPARE(defaultLaunch(QString(), "x.example/--help"), kLaunchSucceeded);
        QCOMPARE(desktop.urls, QStringList{"x.example/--help"});
        QCOMPARE(defaultLaunch(program, "x.example"), kLaunchSucceeded);
        auto starts = [&] {
            QFile noted(log);
            if (!noted.open(QIODevice::ReadOnly)) return QString();
            return QString::fromLocal8Bit(noted.readAll());
        };
        QTRY_COMPARE_WITH_TIMEOUT(starts(), QString("1|x.example\n"), 10000);
        // Time for a late start of a refused launch to show up.
        QTest::qWait(300);
        QCOMPARE(starts(), QString("1|x.example\n"));
    }

    void programGetsTargetAsItsOneArgumentWithoutShell() {
        QTemporaryDir dir;
        const QString out = dir.filePath("args.txt");
        const QString script = dir.filePath("record.sh");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QString("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                .arg(out)
                .toLocal8Bit());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const QString caption = "x.example/$(touch pwned); echo `id` & | > y";
        QCOMPARE(defaultLaunch(script, "http://" + caption), kLaunchSucceeded);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(result.readAll()), "1|http://" + caption);
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));
    }

    void missingProgramIsAFailure() {
        const int result = defaultLaunch("/nonexistent-ottomix/program", "http://x.example");
        QVERIFY(result <= 32);
    }

    void mouseLeftClickOpensRightButtonShowsMenu() {
        LaunchRecorder launcher;
        QWidget window;
        window.resize(300, 100);
        auto* link = new HyperlinkLabel(&window);
        link->setLinkType(LinkType::Http);
        link->setCaption("mouse.example");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(launcher.targets(), QStringList{"http://mouse.example"});
        QVERIFY(link->isVisited());

        // Released outside the link: no click.
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, 5));
        QCOMPARE(launcher.launches.size(), std::size_t{1});

        QTest::mousePress(link, Qt::RightButton, {}, QPoint(7, 3));
        QTRY_VERIFY(link->popupMenu()->isVisible());
        QCOMPARE(link->popupMenu()->pos(), link->mapToGlobal(QPoint(7, 3)));
        QCOMPARE(launcher.launches.size(), std::size_t{1});
        link->popupMenu()->hide();

        // Without entries nothing pops up, so no invisible menu swallows the next click.
        link->setMenuItems({});
        QTest::mousePress(link, Qt::RightButton, {}, QPoint(7, 3));
        QVERIFY(!link->popupMenu()->isVisible());
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseRelease(link, Qt::RightButton, {}, QPoint(7, 3));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(launcher.launches.size(), std::size_t{2});
    }

    void mouseSignalsReportMovesReleasesAndDoubleClicks() {
        LaunchRecorder launcher;
        QWidget window;
        window.resize(300, 100);
        auto* link = new HyperlinkLabel(&window);
        link->setLinkType(LinkType::Http);
        link->setCaption("signals.example");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QStringList seen;
        connect(
            link, &HyperlinkLabel::mouseMoved, this,
            [&](Qt::KeyboardModifiers modifiers, QPoint pos) {
                seen << QString("moved %1 %2,%3").arg(modifiers.toInt()).arg(pos.x()).arg(pos.y());
            });
        connect(link, &HyperlinkLabel::mouseReleased, this,
                [&](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
                    seen << QString("released %1 %2 %3,%4 launched:%5")
                                .arg(button)
                                .arg(modifiers.toInt())
                                .arg(pos.x())
                                .arg(pos.y())
                                .arg(launcher.launches.size());
                });
        connect(link, &HyperlinkLabel::doubleClicked, this, [&] { seen << "double"; });

        const QPointF at(6, 4);
        QMouseEvent move(QEvent::MouseMove, at, link->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::ShiftModifier);
        QApplication::sendEvent(link, &move);
        // The release is reported after the click it completes has opened the link.
        QTest::mousePress(link, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
        QTest::mouseRelease(link, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
        QMouseEvent right(QEvent::MouseButtonDblClick, at, link->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(link, &right);
        QMouseEvent left(QEvent::MouseButtonDblClick, at, link->mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(link, &left);

        QCOMPARE(seen, (QStringList{QString("moved %1 6,4").arg(int(Qt::ShiftModifier)),
                                    QString("released %1 %2 5,5 launched:1")
                                        .arg(int(Qt::LeftButton))
                                        .arg(int(Qt::ControlModifier)),
                                    "double"}));
        QCOMPARE(launcher.targets(), QStringList{"http://signals.example"});
    }

    void openEntryActsAsAClick() {
        LaunchRecorder launcher;
        auto link = newLink(LinkType::Ftp, "files.example");
        const QList<QAction*> actions = link->popupMenu()->actions();
        QVERIFY(!actions.isEmpty());
        QCOMPARE(actions.first()->text(), QString("&Open"));
        actions.first()->trigger();
        QCOMPARE(launcher.targets(), QStringList{"ftp://files.example"});
        QVERIFY(link->isVisited());
    }
};

}  // namespace ottomix

QTEST_MAIN(ottomix::LinkOpeningTest)
#include "link_opening_test.moc"
