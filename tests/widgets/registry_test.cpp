// Visited sharing, registration and caption lists of the link registry.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "link_test_support.h"
#include "widgets/hyperlink_label.h"

namespace {

// A link read from a window layout: it picks up the shared state when loading ends.
std::unique_ptr<THyperLink> LoadedLink(TLinkType type, const QString& caption) {
    auto link = std::make_unique<THyperLink>();
    link->BeginLoad();
    link->SetLinkType(type);
    link->SetCaption(caption);
    link->Loaded();
    return link;
}

bool ListHas(const QStringList& list, const QString& caption) {
    return list.contains(caption, Qt::CaseInsensitive);
}

}  // namespace

class RegistryTest : public QObject {
    Q_OBJECT
  private slots:
    void captionsDifferingInCaseShareVisited() {
        LaunchRecorder launcher;
        auto site = NewLink(ltHttp, "Site");
        auto upper = NewLink(ltHttp, "SITE");
        QVERIFY(!site->Visited() && !upper->Visited());

        site->Click();
        QCOMPARE(launcher.Targets(), QStringList{"http://Site"});
        QVERIFY(site->Visited());
        QVERIFY(upper->Visited());

        // No other link has exactly "Site": the entry goes, the other link keeps its colour.
        site.reset();
        QVERIFY(!ListHas(UrlBase().VisitedList(), "Site"));
        QVERIFY(upper->Visited());
        QCOMPARE(UrlBase().Links().size(), std::size_t{1});
    }

    void emailAndHttpWithOneCaptionShareVisited() {
        LaunchRecorder launcher;
        auto mail = NewLink(ltEmail, "me@host.example");
        auto web = NewLink(ltHttp, "me@host.example");
        web->Click();
        QCOMPARE(launcher.Targets(), QStringList{"http://me@host.example"});
        QVERIFY(web->Visited());
        QVERIFY(mail->Visited());

        mail->Click();
        QCOMPARE(launcher.Targets().last(), QString("mailto:me@host.example"));
    }

    void lastLinkGoneForgetsVisited() {
        LaunchRecorder launcher;
        auto first = LoadedLink(ltHttp, "gone.example");
        first->Click();
        QVERIFY(first->Visited());
        first.reset();
        QVERIFY(!ListHas(UrlBase().VisitedList(), "gone.example"));

        auto again = LoadedLink(ltHttp, "gone.example");
        QVERIFY(!again->Visited());
    }

    void loadedLinkTakesSharedVisitedState() {
        LaunchRecorder launcher;
        auto opened = LoadedLink(ltHttp, "shared.example");
        opened->Click();
        auto later = LoadedLink(ltEmail, "SHARED.example");
        QVERIFY(later->Visited());
        QVERIFY(opened->Visited());
    }

    void visitedFlagSetWhileLoadingSpreadsWhenLoaded() {
        auto link = std::make_unique<THyperLink>();
        link->BeginLoad();
        link->SetCaption("stored-visited.example");
        link->SetVisited(true);
        QVERIFY(!UrlBase().IsRegistered(link.get()));
        QVERIFY(!ListHas(UrlBase().VisitedList(), "stored-visited.example"));
        link->Loaded();
        QVERIFY(UrlBase().IsRegistered(link.get()));
        QVERIFY(ListHas(UrlBase().VisitedList(), "stored-visited.example"));
        auto other = LoadedLink(ltHttp, "stored-visited.example");
        QVERIFY(other->Visited());
    }

    void newCaptionTakesLinkStateAndOthersFollow() {
        auto waiting = NewLink(ltHttp, "renamed.example");
        auto link = NewLink(ltHttp, "before.example");
        link->SetVisited(true);
        QVERIFY(!waiting->Visited());

        link->SetCaption("Renamed.example");
        QVERIFY(link->Visited());
        QVERIFY(waiting->Visited());
        QVERIFY(ListHas(UrlBase().VisitedList(), "renamed.example"));
        QVERIFY(!ListHas(UrlBase().NotVisitedList(), "renamed.example"));

        // Marking one not visited turns every link of that address back.
        waiting->SetVisited(false);
        QVERIFY(!link->Visited());
        QVERIFY(ListHas(UrlBase().NotVisitedList(), "renamed.example"));
    }

    void resetVisitedTurnsEveryLinkBack() {
        auto a = NewLink(ltHttp, "a.example");
        auto a_upper = NewLink(ltEmail, "A.EXAMPLE");
        auto b = NewLink(ltHttp, "b.example");
        auto c = NewLink(ltFtp, "c.example");
        for (THyperLink* link : {a.get(), b.get(), c.get()}) link->SetVisited(true);
        QVERIFY(a_upper->Visited());

        UrlBase().ResetVisited();
        QVERIFY(UrlBase().VisitedList().isEmpty());
        for (THyperLink* link : {a.get(), a_upper.get(), b.get(), c.get()}) {
            QVERIFY2(!link->Visited(), qPrintable(link->Caption()));
        }
        for (const char* caption : {"a.example", "b.example", "c.example"}) {
            QVERIFY(ListHas(UrlBase().NotVisitedList(), caption));
        }
    }

    void unregisteringAStrangerFails() {
        auto stranger = std::make_unique<THyperLink>();
        const QStringList visited = UrlBase().VisitedList();
        const QStringList not_visited = UrlBase().NotVisitedList();
        const std::size_t links = UrlBase().Links().size();
        try {
            UrlBase().UnregisterLink(stranger.get());
            QFAIL("no error raised");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("Detaching Control that is not registered?"));
        }
        QCOMPARE(UrlBase().VisitedList(), visited);
        QCOMPARE(UrlBase().NotVisitedList(), not_visited);
        QCOMPARE(UrlBase().Links().size(), links);
    }

    void designModeLinkStaysOutOfTheRegistry() {
        LaunchRecorder launcher;
        auto link = std::make_unique<THyperLink>();
        link->SetDesigning(true);
        link->SetCaption("designed.example");
        link->SetVisited(true);
        link->Click();
        QVERIFY(!UrlBase().IsRegistered(link.get()));
        QVERIFY(!ListHas(UrlBase().VisitedList(), "designed.example"));
        QVERIFY(launcher.launches.empty());
    }

    void saveCaptionListWritesCrLfLines() {
        auto x = NewLink(ltHttp, "saved-one.example");
        auto y = NewLink(ltHttp, "saved-two.example");
        y->SetVisited(true);
        QTemporaryDir dir;
        const QString visited_file = dir.filePath("visited.txt");
        const QString other_file = dir.filePath("not-visited.txt");
        UrlBase().SaveCaptionList(false, visited_file);
        UrlBase().SaveCaptionList(true, other_file);

        QFile visited(visited_file);
        QVERIFY(visited.open(QIODevice::ReadOnly));
        QCOMPARE(visited.readAll(), (UrlBase().VisitedList().join("\r\n") + "\r\n").toLocal8Bit());
        QFile other(other_file);
        QVERIFY(other.open(QIODevice::ReadOnly));
        const QByteArray lines = other.readAll();
        QVERIFY(lines.contains("saved-one.example\r\n"));
        QVERIFY(!lines.contains("saved-two.example"));
    }

    void saveCaptionListFailureTellsAndRaises() {
        MessageRecorder messages;
        const QString name = "/nonexistent-ottomix-dir/list.txt";
        try {
            UrlBase().SaveCaptionList(true, name);
            QFAIL("no error raised");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("SaveFileError"));
        }
        QCOMPARE(messages.messages, QStringList{"Could not save to file:" + name});
    }

    void typeApplicationsAreKeptPerType() {
        QCOMPARE(UrlBase().SetTypeApplication(ltNews, "/opt/reader"), QString());
        QCOMPARE(UrlBase().GetTypeApplication(ltNews), QString("/opt/reader"));
        QCOMPARE(UrlBase().GetTypeApplication(ltHttp), QString());
        QCOMPARE(UrlBase().SetTypeApplication(ltNews, QString()), QString("/opt/reader"));
    }
};

QTEST_MAIN(RegistryTest)
#include "registry_test.moc"
