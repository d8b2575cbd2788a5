// What assistive technology learns of a link: role, name, address, state and
// the press action; and the names in the properties window.
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QtTest>
#include <memory>

#include "link_test_support.h"

namespace ottomix {

namespace {

// A label kind of its own is still a link.
class BrandedLink : public HyperlinkLabel {
    Q_OBJECT
  public:
    using HyperlinkLabel::HyperlinkLabel;
};

}  // namespace

class HyperlinkLabelAccessibleTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { LinkRegistry::instance().resetVisited(); }

    void linkIsNamedForWhatItShowsWithItsAddressAsValue() {
        auto link = newLink(LinkType::Http, "www.access.example");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link.get());
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Link);
        QCOMPARE(accessible->text(QAccessible::Name), QString("http://www.access.example"));
        QCOMPARE(accessible->text(QAccessible::Value), QString("http://www.access.example"));
        // The hint, here the whole address.
        QCOMPARE(accessible->text(QAccessible::Description), QString("http://www.access.example"));

        link->setCaption("www.other.example");
        QCOMPARE(accessible->text(QAccessible::Name), QString("http://www.other.example"));
        link->setLinkType(LinkType::Ftp);
        QCOMPARE(accessible->text(QAccessible::Name), QString("ftp://www.other.example"));
        link->setAlias("Our files");
        QCOMPARE(accessible->text(QAccessible::Name), QString("Our files"));
        QCOMPARE(accessible->text(QAccessible::Value), QString("ftp://www.other.example"));
        link->setAlias(QString());
        QCOMPARE(accessible->text(QAccessible::Name), QString("ftp://www.other.example"));

        // Names the program gives the link itself come first.
        link->setAccessibleName("Download area");
        link->setAccessibleDescription("Where the releases are");
        QCOMPARE(accessible->text(QAccessible::Name), QString("Download area"));
        QCOMPARE(accessible->text(QAccessible::Description), QString("Where the releases are"));
        QCOMPARE(accessible->text(QAccessible::Value), QString("ftp://www.other.example"));
    }

    void subclassesAreLinksToo() {
        BrandedLink link;
        link.setLinkType(LinkType::Email);
        link.setCaption("brand@access.example");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&link);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Link);
        QCOMPARE(accessible->text(QAccessible::Name), QString("mailto:brand@access.example"));
    }

    void pressActionOpensTheLink() {
        LaunchRecorder launcher;
        auto link = newLink(LinkType::Email, "press@access.example");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link.get());
        QVERIFY(accessible);
        QAccessibleActionInterface* actions = accessible->actionInterface();
        QVERIFY(actions);
        const QString press = QAccessibleActionInterface::pressAction();
        QVERIFY(actions->actionNames().contains(press));
        QVERIFY(accessible->state().linked);
        QVERIFY(!accessible->state().traversed);

        actions->doAction(press);
        QCOMPARE(launcher.targets(), QStringList{"mailto:press@access.example"});
        QVERIFY(link->isVisited());
        QVERIFY(accessible->state().traversed);

        // A disabled link takes no clicks and offers no press.
        link->setEnabled(false);
        QVERIFY(!actions->actionNames().contains(press));
        actions->doAction(press);
        QCOMPARE(launcher.launches.size(), std::size_t{1});
    }

    void propertiesWindowNamesItsPicture() {
        auto link = newLink(LinkType::Http, "www.props.example");
        auto window = LinkRegistry::instance().createLinkProperties(link.get());
        auto* picture = window->findChild<QLabel*>("picture");
        QVERIFY(picture);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(picture);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QString("Hyperlink"));
    }
};

}  // namespace ottomix

QTEST_MAIN(ottomix::HyperlinkLabelAccessibleTest)
#include "hyperlink_label_accessible_test.moc"
