// Visited sharing, registration and caption lists of the link registry.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "link_test_support.h"

namespace ottomix {

namespace {

bool listHas(const QStringList& list, const QString& caption) {
    return list.contains(caption, Qt::CaseInsensitive);
}

}  // namespace

class LinkRegistryTest : public QObject {
    Q_OBJECT
  private slots:
    void captionsDifferingInCaseShareVisited() {
        LaunchRecorder launcher;
        auto site = newLink(LinkType::Http, "Site");
        auto upper = newLink(LinkType::Http, "SITE");
        QVERIFY(!site->isVisited() && !upper->isVisited());

        site->click();
        QCOMPARE(launcher.targets(), QStringList{"http://Site"});
        QVERIFY(site->isVisited());
        QVERIFY(upper->isVisited());

        // No other link has exactly "Site": the entry goes, the other link keeps its colour.
        site.reset();
        QVERIFY(!listHas(LinkRegistry::instance().visitedList(), "Site"));
        QVERIFY(upper->isVisited());
        QCOMPARE(LinkRegistry::instance().links().size(), std::size_t{1});
    }

    void emailAndHttpWithOneCaptionShareVisited() {
        LaunchRecorder launcher;
        auto mail = newLink(LinkType::Email, "me@host.example");
        auto web = newLink(LinkType::Http, "me@host.example");
        web->click();
        QCOMPARE(launcher.targets(), QStringList{"http://me@host.example"});
        QVERIFY(web->isVisited());
        QVERIFY(mail->isVisited());

        mail->click();
        QCOMPARE(launcher.targets().last(), QString("mailto:me@host.example"));
    }

    void lastLinkGoneForgetsVisited() {
        LaunchRecorder launcher;
        auto first = newLink(LinkType::Http, "gone.example");
        first->click();
        QVERIFY(first->isVisited());
        first.reset();
        QVERIFY(!listHas(LinkRegistry::instance().visitedList(), "gone.example"));

        auto again = newLink(LinkType::Http, "gone.example");
        QVERIFY(!again->isVisited());
    }

    void aJoiningLinkFilesItsCaptionUnderItsOwnState() {
        LaunchRecorder launcher;
        auto opened = newLink(LinkType::Http, "shared.example");
        opened->click();
        QVERIFY(opened->isVisited());
        // A new link, not visited, makes the address not visited for all.
        auto later = newLink(LinkType::Email, "SHARED.example");
        QVERIFY(!later->isVisited());
        QVERIFY(!opened->isVisited());
        QVERIFY(listHas(LinkRegistry::instance().notVisitedList(), "shared.example"));

        // One marked visited before it has a caption spreads that when it gets one.
        auto marked = std::make_unique<HyperlinkLabel>();
        marked->setVisited(true);
        QVERIFY(!LinkRegistry::instance().isRegistered(marked.get()));
        marked->setCaption("Shared.Example");
        QVERIFY(LinkRegistry::instance().isRegistered(marked.get()));
        QVERIFY(marked->isVisited());
        QVERIFY(later->isVisited() && opened->isVisited());
        QVERIFY(listHas(LinkRegistry::instance().visitedList(), "shared.example"));
    }

    void newCaptionTakesLinkStateAndOthersFollow() {
        auto waiting = newLink(LinkType::Http, "renamed.example");
        auto link = newLink(LinkType::Http, "before.example");
        link->setVisited(true);
        QVERIFY(!waiting->isVisited());

        link->setCaption("Renamed.example");
        QVERIFY(link->isVisited());
        QVERIFY(waiting->isVisited());
        QVERIFY(listHas(LinkRegistry::instance().visitedList(), "renamed.example"));
        QVERIFY(!listHas(LinkRegistry::instance().notVisitedList(), "renamed.example"));

        // Marking one not visited turns every link of that address back.
        waiting->setVisited(false);
        QVERIFY(!link->isVisited());
        QVERIFY(listHas(LinkRegistry::instance().notVisitedList(), "renamed.example"));
    }

    void resetVisitedTurnsEveryLinkBack() {
        auto a = newLink(LinkType::Http, "a.example");
        auto aUpper = newLink(LinkType::Email, "A.EXAMPLE");
        auto b = newLink(LinkType::Http, "b.example");
        auto c = newLink(LinkType::Ftp, "c.example");
        for (HyperlinkLabel* link : {a.get(), b.get(), c.get()}) link->setVisited(true);
        QVERIFY(aUpper->isVisited());

        LinkRegistry::instance().resetVisited();
        QVERIFY(LinkRegistry::instance().visitedList().isEmpty());
        for (HyperlinkLabel* link : {a.get(), aUpper.get(), b.get(), c.get()}) {
            QVERIFY2(!link->isVisited(), qPrintable(link->caption()));
        }
        for (const char* caption : {"a.example", "b.example", "c.example"}) {
            QVERIFY(listHas(LinkRegistry::instance().notVisitedList(), caption));
        }
    }

    void unregisteringAStrangerFails() {
        auto stranger = std::make_unique<HyperlinkLabel>();
        const QStringList visited = LinkRegistry::instance().visitedList();
        const QStringList notVisited = LinkRegistry::instance().notVisitedList();
        const std::size_t links = LinkRegistry::instance().links().size();
        try {
            LinkRegistry::instance().unregisterLink(stranger.get());
            QFAIL("no error raised");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("Detaching Control that is not registered?"));
        }
        QCOMPARE(LinkRegistry::instance().visitedList(), visited);
        QCOMPARE(LinkRegistry::instance().notVisitedList(), notVisited);
        QCOMPARE(LinkRegistry::instance().links().size(), links);
    }

    void saveCaptionListWritesCrLfLines() {
        auto x = newLink(LinkType::Http, "saved-one.example");
        auto y = newLink(LinkType::Http, "saved-two.example");
        y->setVisited(true);
        QTemporaryDir dir;
        const QString visitedFile = dir.filePath("visited.txt");
        const QString otherFile = dir.filePath("not-visited.txt");
        LinkRegistry::instance().saveCaptionList(false, visitedFile);
        LinkRegistry::instance().saveCaptionList(true, otherFile);

        QFile visited(visitedFile);
        QVERIFY(visited.open(QIODevice::ReadOnly));
        QCOMPARE(visited.readAll(),
                 (LinkRegistry::instance().visitedList().join("\r\n") + "\r\n").toLocal8Bit());
        QFile other(otherFile);
        QVERIFY(other.open(QIODevice::ReadOnly));
        const QByteArray lines = other.readAll();
        QVERIFY(lines.contains("saved-one.example\r\n"));
        QVERIFY(!lines.contains("saved-two.example"));
    }

    void saveCaptionListFailureTellsAndRaises() {
        MessageRecorder messages;
        const QString name = "/nonexistent-ottomix-dir/list.txt";
        try {
            LinkRegistry::instance().saveCaptionList(true, name);
            QFAIL("no error raised");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("SaveFileError"));
        }
        QCOMPARE(messages.messages, QStringList{"Could not save to file:" + name});
    }

    void typeApplicationsAreKeptPerType() {
        QCOMPARE(LinkRegistry::instance().setTypeApplication(LinkType::News, "/opt/reader"),
                 QString());
        QCOMPARE(LinkRegistry::instance().typeApplication(LinkType::News), QString("/opt/reader"));
        QCOMPARE(LinkRegistry::instance().typeApplication(LinkType::Http), QString());
        QCOMPARE(LinkRegistry::instance().setTypeApplication(LinkType::News, QString()),
                 QString("/opt/reader"));
    }
};

}  // namespace ottomix

QTEST_MAIN(ottomix::LinkRegistryTest)
#include "link_registry_test.moc"
