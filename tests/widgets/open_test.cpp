// Opening a link: events, vetoes, results, type applications and the launcher.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "link_test_support.h"
#include "widgets/hyperlink_label.h"

class OpenTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { UrlBase().ResetVisited(); }

    void eventsRunInOrderAroundTheLaunch() {
        LaunchRecorder launcher;
        auto link = NewLink(ltHttp, "events.example");
        QStringList calls;
        QObject* senders[3] = {};
        link->OnBeforeExecuted = [&](QObject* sender, bool& execute) {
            calls << QString("before:%1").arg(execute);
            senders[0] = sender;
        };
        link->OnExecute = [&](QObject* sender, bool& execute) {
            calls << QString("execute:%1 launched:%2").arg(execute).arg(launcher.launches.size());
            senders[1] = sender;
        };
        link->OnAfterExecuted = [&](QObject* sender, std::int32_t result) {
            calls << QString("after:%1 launched:%2 visited:%3")
                         .arg(result)
                         .arg(launcher.launches.size())
                         .arg(link->Visited());
            senders[2] = sender;
        };
        link->Click();
        QCOMPARE(calls, (QStringList{"before:1", "execute:1 launched:0",
                                     "after:33 launched:1 visited:1"}));
        for (QObject* sender : senders) QCOMPARE(sender, static_cast<QObject*>(link.get()));
    }

    void vetoedOpenLaunchesNothing_data() {
        QTest::addColumn<bool>("veto_before");
        QTest::newRow("OnBeforeExecuted") << true;
        QTest::newRow("OnExecute") << false;
    }
    void vetoedOpenLaunchesNothing() {
        QFETCH(bool, veto_before);
        LaunchRecorder launcher;
        auto link = NewLink(ltHttp, "veto.example");
        bool execute_called = false;
        bool after_called = false;
        link->OnBeforeExecuted = [&](QObject*, bool& execute) { execute = !veto_before; };
        link->OnExecute = [&](QObject*, bool& execute) {
            execute_called = true;
            execute = false;
        };
        link->OnAfterExecuted = [&](QObject*, std::int32_t) { after_called = true; };
        link->Click();
        QCOMPARE(execute_called, !veto_before);
        QVERIFY(!after_called);
        QVERIFY(launcher.launches.empty());
        QVERIFY(!link->Visited());
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
        auto link = NewLink(ltEmail, "result.example");
        auto twin = NewLink(ltHttp, "result.example");
        int reported = -1;
        link->OnAfterExecuted = [&](QObject*, std::int32_t r) { reported = r; };
        link->Click();
        QCOMPARE(reported, result);
        QCOMPARE(link->Visited(), visited);
        QCOMPARE(twin->Visited(), visited);
    }

    void typeApplicationOpensItsTypeOnly() {
        LaunchRecorder launcher;
        UrlBase().SetTypeApplication(ltHttp, "/usr/local/bin/browser");
        auto web = NewLink(ltHttp, "www.typed.example/a b");
        auto mail = NewLink(ltEmail, "me@typed.example");
        web->Click();
        mail->Click();
        UrlBase().SetTypeApplication(ltHttp, QString());
        QCOMPARE(launcher.launches.size(), std::size_t{2});
        QCOMPARE(launcher.launches[0].first, QString("/usr/local/bin/browser"));
        QCOMPARE(launcher.launches[0].second, QString("http://www.typed.example/a b"));
        QCOMPARE(launcher.launches[1].first, QString());
        QCOMPARE(launcher.launches[1].second, QString("mailto:me@typed.example"));
    }

    void targetsOver255CharactersAreRefused() {
        LaunchRecorder launcher;
        const QString prefix = "http://";
        auto fits = NewLink(ltHttp, QString(255 - prefix.size(), 'a'));
        auto too_long = NewLink(ltHttp, QString(256 - prefix.size(), 'b'));
        int reported = 0;
        too_long->OnAfterExecuted = [&](QObject*, std::int32_t r) { reported = r; };
        fits->Click();
        too_long->Click();
        QCOMPARE(launcher.launches.size(), std::size_t{1});
        QCOMPARE(launcher.launches[0].second.size(), 255);
        QCOMPARE(reported, kLaunchTargetTooLong);
        QVERIFY(reported <= 32);
        QVERIFY(fits->Visited());
        QVERIFY(!too_long->Visited());
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
        QCOMPARE(DefaultLaunch(script, "http://" + caption), kLaunchSucceeded);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(result.readAll()), "1|http://" + caption);
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));
    }

    void missingProgramIsAFailure() {
        const int result = DefaultLaunch("/nonexistent-ottomix/program", "http://x.example");
        QVERIFY(result <= 32);
    }

    void mouseLeftClickOpensRightButtonShowsMenu() {
        LaunchRecorder launcher;
        QWidget window;
        window.resize(300, 100);
        auto* link = new THyperLink(&window);
        link->SetLinkType(ltHttp);
        link->SetCaption("mouse.example");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(launcher.Targets(), QStringList{"http://mouse.example"});
        QVERIFY(link->Visited());

        // Released outside the link: no click.
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, 5));
        QCOMPARE(launcher.launches.size(), std::size_t{1});

        QTest::mousePress(link, Qt::RightButton, {}, QPoint(7, 3));
        QTRY_VERIFY(link->PopupMenu()->isVisible());
        QCOMPARE(link->PopupMenu()->pos(), link->mapToGlobal(QPoint(7, 3)));
        QCOMPARE(launcher.launches.size(), std::size_t{1});
        link->PopupMenu()->hide();

        // Without entries nothing pops up, so no invisible menu swallows the next click.
        link->SetMenuItems(0);
        QTest::mousePress(link, Qt::RightButton, {}, QPoint(7, 3));
        QVERIFY(!link->PopupMenu()->isVisible());
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseRelease(link, Qt::RightButton, {}, QPoint(7, 3));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(launcher.launches.size(), std::size_t{2});
    }

    void openEntryActsAsAClick() {
        LaunchRecorder launcher;
        auto link = NewLink(ltFtp, "files.example");
        const QList<QAction*> actions = link->PopupMenu()->actions();
        QVERIFY(!actions.isEmpty());
        QCOMPARE(actions.first()->text(), QString("&Open"));
        actions.first()->trigger();
        QCOMPARE(launcher.Targets(), QStringList{"ftp://files.example"});
        QVERIFY(link->Visited());
    }
};

QTEST_MAIN(OpenTest)
#include "open_test.moc"
