// What a user sees of a link: size, drawing, tooltip, menu, clipboard, properties.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "link_test_support.h"

namespace ottomix {

namespace {

QFontMetrics linkMetrics(const HyperlinkLabel& link) {
    QFont font = link.font();
    font.setUnderline(true);
    return QFontMetrics(font);
}

QStringList menuTexts(const HyperlinkLabel& link) {
    QStringList texts;
    for (const QAction* action : link.popupMenu()->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

int countPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    }
    return count;
}

void whiteBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// Counts paints, to tell whether a setter repainted.
class CountingLink : public HyperlinkLabel {
  public:
    using HyperlinkLabel::HyperlinkLabel;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        HyperlinkLabel::paintEvent(e);
    }
};

}  // namespace

class HyperlinkLabelTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { LinkRegistry::instance().resetVisited(); }

    void newLinkDefaults() {
        HyperlinkLabel link;
        QCOMPARE(link.geometry(), QRect(20, 20, 100, 13));
        QCOMPARE(link.focusPolicy(), Qt::NoFocus);
        QCOMPARE(link.linkType(), LinkType::Email);
        QCOMPARE(link.linkColor(), QColor(0, 0, 255));
        QCOMPARE(link.visitedColor(), QColor(128, 0, 128));
        QCOMPARE(link.menuItems(), LinkMenuItems::fromInt(15));
        QVERIFY(!link.transparentColor().isValid());
        QVERIFY(!link.color().isValid() && link.parentColor());
        QCOMPARE(link.dockEdges(), Qt::Edges());
        QVERIFY(link.isTransparent() && link.autoSize() && link.showHint() && !link.isVisited());
        // The hand of the program's artwork.
        QCOMPARE(link.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link.cursor().hotSpot(), QPoint(12, 5));
        QCOMPARE(link.cursor().pixmap().toImage(), QPixmap(":/ottomix/HANDPOINT.png").toImage());
    }

    void autoSizeFollowsAliasOrPrefixAndCaption() {
        HyperlinkLabel link;
        link.setLinkType(LinkType::Http);
        link.setCaption("www.size.example");
        const QFontMetrics metrics = linkMetrics(link);
        QCOMPARE(link.width(), metrics.horizontalAdvance("www.size.examplehttp://") + 10);
        QCOMPARE(link.height(), metrics.height() + 4);

        link.setAlias("Size");
        QCOMPARE(link.width(), metrics.horizontalAdvance("Size") + 8);

        link.setAutoSize(false);
        link.setAlias("A much longer alias than before");
        QCOMPARE(link.width(), metrics.horizontalAdvance("Size") + 8);
    }

    void dockingSpansKeepsToEdgesAndFollowsTheParent() {
        QWidget parent;
        parent.resize(400, 300);
        auto* link = new HyperlinkLabel(&parent);
        link->setCaption("align@size.example");
        const QFontMetrics metrics = linkMetrics(*link);
        const int w = metrics.horizontalAdvance("align@size.examplemailto:") + 10;
        const int h = metrics.height() + 4;

        // In order: an axis docked to neither edge keeps the row before's place.
        const struct {
            Qt::Edges edges;
            QRect expected;
        } rows[] = {
            {Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge, QRect(0, 0, 400, h)},
            {Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge, QRect(0, 300 - h, 400, h)},
            {Qt::LeftEdge | Qt::TopEdge | Qt::BottomEdge, QRect(0, 0, w, 300)},
            {Qt::RightEdge | Qt::TopEdge | Qt::BottomEdge, QRect(400 - w, 0, w, 300)},
            {Qt::RightEdge | Qt::BottomEdge, QRect(400 - w, 300 - h, w, h)},
            {Qt::TopEdge, QRect(400 - w, 0, w, h)},
            {Qt::LeftEdge | Qt::RightEdge, QRect(0, 0, 400, h)},
            {Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge, QRect(0, 0, 400, 300)},
        };
        for (const auto& row : rows) {
            link->setDockEdges(row.edges);
            QCOMPARE(link->geometry(), row.expected);
        }
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        parent.resize(500, 200);
        QCOMPARE(link->geometry(), QRect(0, 0, 500, 200));

        link->setDockEdges(Qt::RightEdge | Qt::BottomEdge);
        parent.resize(450, 250);
        QCOMPARE(link->geometry(), QRect(450 - w, 250 - h, w, h));
        // Undocked, it stays where it was.
        link->setDockEdges({});
        parent.resize(300, 100);
        QCOMPARE(link->geometry(), QRect(450 - w, 250 - h, w, h));
    }

    void hintShowsTargetUnlessOwnHintFits() {
        auto link = std::make_unique<HyperlinkLabel>();
        link->setLinkType(LinkType::Http);
        link->setCaption("www.a-rather-long-address.example/with/a/path");
        link->setAutoSize(false);
        link->resize(60, 17);
        link->setHint("Our home page");
        QCOMPARE(link->hint(), QString("http://www.a-rather-long-address.example/with/a/path"));
        link->setAutoSize(true);
        QCOMPARE(link->hint(), QString("Our home page"));
        link->setHint(QString());
        QCOMPARE(link->hint(), QString("http://www.a-rather-long-address.example/with/a/path"));

        HyperlinkLabel plain;
        plain.setAlias("Mail us");
        plain.setCaption("mail@hint.example");
        QCOMPARE(plain.hint(), QString("mailto:mail@hint.example"));

        // A picture link without a hint of its own: its tooltip follows the
        // address, also after the caption changes.
        QImage picture(12, 9, QImage::Format_RGB32);
        picture.fill(Qt::red);
        HyperlinkLabel pictured;
        pictured.setLinkType(LinkType::Http);
        pictured.setCaption("first.example");
        pictured.setBitmap(picture);
        QCOMPARE(pictured.hint(), QString("http://first.example"));
        pictured.setCaption("second.example");
        QCOMPARE(pictured.hint(), QString("http://second.example"));
    }

    void tooltipShowsMarkupInTheAddressAsText() {
        QWidget parent;
        parent.resize(300, 40);
        auto* link = new HyperlinkLabel(&parent);
        link->setLinkType(LinkType::File);
        link->setCaption("/tmp/<b>notes</b> & <i>x</i>.txt");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), link->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(link, &help);
        QVERIFY(QToolTip::isVisible());
        // What the tooltip shows: rich text rendered, anything else as it is.
        QString shown = QToolTip::text();
        if (Qt::mightBeRichText(shown)) {
            QTextDocument document;
            document.setHtml(shown);
            shown = document.toPlainText();
        }
        QCOMPARE(shown, QString("file:///tmp/<b>notes</b> & <i>x</i>.txt"));
        QToolTip::hideText();
    }

    void showHintSwitchesTheTooltip() {
        QWidget parent;
        parent.resize(300, 40);
        auto* link = new HyperlinkLabel(&parent);
        QVERIFY(link->setProperty("caption", QString("hint@parent.example")));
        QCOMPARE(link->caption(), QString("hint@parent.example"));
        QVERIFY(link->setProperty("showHint", false));
        QVERIFY(!link->showHint());
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        auto askForTooltip = [link] {
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), link->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(link, &help);
        };

        QToolTip::hideText();
        askForTooltip();
        QVERIFY(!QToolTip::isVisible());

        link->setShowHint(true);
        askForTooltip();
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString("mailto:hint@parent.example"));
        QToolTip::hideText();
    }

    void drawsUnderlinedInLinkThenVisitedColour() {
        QWidget parent;
        parent.resize(300, 40);
        whiteBackground(parent);
        auto* link = new HyperlinkLabel(&parent);
        link->setAlias("colour@draw.example");
        link->setCaption("colour@draw.example");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QImage image = link->grab().toImage();
        // The underline is a solid run in the link colour.
        QVERIFY(countPixels(image, 0x0000FF) > link->width() / 2);
        QCOMPARE(countPixels(image, 0x800080), 0);

        link->setVisited(true);
        image = link->grab().toImage();
        QVERIFY(countPixels(image, 0x800080) > link->width() / 2);
        QCOMPARE(countPixels(image, 0x0000FF), 0);

        // Transparent text leaves nothing but the background.
        link->setVisitedColor(Qt::transparent);
        image = link->grab().toImage();
        QCOMPARE(countPixels(image, image.pixel(0, 0) & 0xFFFFFF), image.width() * image.height());
    }

    void backgroundWhenNotTransparent_data() {
        QTest::addColumn<bool>("parentColor");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QRgb>("expected");
        QTest::newRow("the parent's window colour") << true << QColor() << QRgb{0xFFFF00};
        QTest::newRow("the palette's base colour") << false << QColor() << QRgb{0x00FFFF};
        QTest::newRow("a colour of its own") << false << QColor(0, 255, 0) << QRgb{0x00FF00};
    }
    void backgroundWhenNotTransparent() {
        QFETCH(bool, parentColor);
        QFETCH(QColor, color);
        QFETCH(QRgb, expected);
        QWidget parent;
        parent.resize(300, 40);
        QPalette colours = parent.palette();
        colours.setColor(QPalette::Window, Qt::yellow);
        colours.setColor(QPalette::Base, Qt::cyan);
        parent.setPalette(colours);
        auto* link = new HyperlinkLabel(&parent);
        // The link's own Window colour shows only where nothing is painted.
        QPalette own = link->palette();
        own.setColor(QPalette::Window, Qt::magenta);
        link->setPalette(own);
        link->setCaption("background.example");
        link->setTransparent(false);
        if (color.isValid()) link->setColor(color);
        link->setParentColor(parentColor);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        const QImage image = link->grab().toImage();
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, expected);
        QCOMPARE(image.pixel(link->width() - 1, link->height() - 1) & 0xFFFFFF, expected);
    }

    void sameVisitedValueDoesNotRepaint() {
        QWidget parent;
        parent.resize(200, 40);
        auto* link = new CountingLink(&parent);
        link->setCaption("paint.example");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QTRY_VERIFY(link->paints > 0);
        link->paints = 0;
        link->setVisited(false);
        QTest::qWait(50);
        QCOMPARE(link->paints, 0);
        link->setVisited(true);
        QTRY_VERIFY(link->paints > 0);
    }

    void customPrefixIsSharedCutAndReset() {
        HyperlinkLabel first;
        first.setLinkType(LinkType::Custom);
        first.setCaption("thing");
        HyperlinkLabel second;
        second.setLinkType(LinkType::Custom);
        second.setCaption("other");
        first.setCustomPrefix("abcdefghijklmnopqrstuvwxy");
        QCOMPARE(first.customPrefix(), QString("abcdefghijklmnopqrst"));
        QCOMPARE(second.customPrefix(), QString("abcdefghijklmnopqrst"));
        QCOMPARE(second.launchTarget(), QString("abcdefghijklmnopqrstother"));
        QCOMPARE(linkPrefix(LinkType::Custom), QString("abcdefghijklmnopqrst"));

        HyperlinkLabel third;
        QCOMPARE(first.customPrefix(), QString());
        QCOMPARE(first.launchTarget(), QString("thing"));
    }

    void popupEntriesFollowMenuItems_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("all") << 15
                             << QStringList{"&Open", "Open with...", "Copy Url to clipboard", "-",
                                            "&Properties"};
        QTest::newRow("none") << 0 << QStringList{};
        QTest::newRow("properties") << 8 << QStringList{"-", "&Properties"};
        QTest::newRow("copy and open with")
            << 6 << QStringList{"Open with...", "Copy Url to clipboard"};
        QTest::newRow("open and copy") << 3 << QStringList{"&Open", "Copy Url to clipboard"};
    }
    void popupEntriesFollowMenuItems() {
        QFETCH(int, items);
        QFETCH(QStringList, texts);
        HyperlinkLabel link;
        link.setMenuItems({});
        link.setMenuItems(LinkMenuItems::fromInt(items));
        QCOMPARE(menuTexts(link), texts);
        if (items & static_cast<int>(LinkMenuItem::Open)) {
            QAction* open = link.popupMenu()->defaultAction();
            QVERIFY(open);
            QCOMPARE(open->text(), QString("&Open"));
            QVERIFY(open->font().bold());
        }
    }

    void copyUrlPutsPrefixAndCaption() {
        HyperlinkLabel link;
        link.setAlias("Write to us");
        link.setCaption("copy@clip.example");
        QGuiApplication::clipboard()->setText("before");
        for (QAction* action : link.popupMenu()->actions()) {
            if (action->text() == "Copy Url to clipboard") action->trigger();
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("mailto:copy@clip.example"));
    }

    void propertiesWindowDescribesTheLink() {
        LaunchRecorder launcher;
        QWidget parent;
        parent.setGeometry(100, 100, 400, 200);
        auto* link = new HyperlinkLabel(&parent);
        link->setGeometry(56, 136, 118, 17);
        link->setAlias("props@about.example");
        link->setCaption("props@about.example");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        auto text = [](QDialog& window, const char* name) {
            QLabel* label = window.findChild<QLabel*>(name);
            return label ? label->text() : QString("<missing %1>").arg(name);
        };
        auto window = LinkRegistry::instance().createLinkProperties(link);
        QCOMPARE(window->windowTitle(), QString("HyperLink Properties..."));
        QCOMPARE(window->size(), QSize(390, 250));
        QCOMPARE(window->findChild<QTabWidget*>()->tabText(0), QString("Common"));
        QCOMPARE(text(*window, "titleLabel"),
                 QString("props@about.example (mailto:props@about.example)"));
        QCOMPARE(text(*window, "serviceLabel"), QString("Email Service"));
        QCOMPARE(text(*window, "addressLabel"), QString("props@about.example"));
        QCOMPARE(text(*window, "programLabel"), QString("Associated Application (Registry)"));
        QCOMPARE(text(*window, "visitedLabel"), QString("No"));
        QCOMPARE(window->findChild<QLabel*>("serviceLabel")->toolTip(),
                 QString("The service of the THyperLink"));
        QCOMPARE(window->findChild<QLabel*>("programLabel")->toolTip(),
                 QString("The application will be used to open the HyperLink"));
        // Captions stay whole and clear of the values beside them.
        for (const char* name :
             {"serviceCaption", "addressCaption", "programCaption", "visitedCaption"}) {
            QLabel* caption = window->findChild<QLabel*>(name);
            QVERIFY2(caption, name);
            QVERIFY2(caption->sizeHint().width() <= caption->width(), name);
            QVERIFY2(caption->geometry().right() < 76, name);
        }
        const QPoint corner = link->mapToGlobal(QPoint(0, 0));
        QCOMPARE(window->pos(),
                 QPoint(corner.x() + link->width() / 2, corner.y() + link->height()));

        link->click();
        LinkRegistry::instance().setTypeApplication(LinkType::Email, "/usr/bin/mailer");
        window = LinkRegistry::instance().createLinkProperties(link);
        LinkRegistry::instance().setTypeApplication(LinkType::Email, QString());
        QCOMPARE(text(*window, "visitedLabel"), QString("Yes"));
        QCOMPARE(text(*window, "programLabel"), QString("/usr/bin/mailer"));
    }

    void propertiesEntryShowsModalWindowClosedByEscape() {
        HyperlinkLabel link;
        link.setLinkType(LinkType::Http);
        link.setCaption("www.modal.example");
        QString seenTitle;
        bool closedByEscape = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            seenTitle = modal->windowTitle();
            QTest::keyClick(modal, Qt::Key_Escape);
            closedByEscape = !modal->isVisible();
        });
        // Never hang the run if the window did not close.
        QTimer::singleShot(5000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        QAction* properties = link.popupMenu()->actions().last();
        QCOMPARE(properties->text(), QString("&Properties"));
        properties->trigger();
        QCOMPARE(seenTitle, QString("HyperLink Properties..."));
        QVERIFY(closedByEscape);
    }

    void bitmapLayoutLeavesTransparentColourOut() {
        QImage picture(10, 8, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 0));
        for (int y = 2; y < 6; ++y) {
            for (int x = 3; x < 7; ++x) picture.setPixel(x, y, qRgb(0, 255, 0));
        }
        QWidget parent;
        parent.resize(100, 50);
        whiteBackground(parent);
        auto* link = new HyperlinkLabel(&parent);
        link->setCaption("bitmap.example");
        link->setBitmap(picture);
        QCOMPARE(link->linkLayout(), LinkLayout::Bitmap);
        QCOMPARE(link->size(), QSize(10, 8));
        QCOMPARE(link->transparentColor(), QColor(255, 0, 0));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QImage seen = parent.grab(link->geometry()).toImage();
        QCOMPARE(seen.pixel(0, 0) & 0xFFFFFF, QRgb{0xFFFFFF});
        QCOMPARE(seen.pixel(4, 3) & 0xFFFFFF, QRgb{0x00FF00});

        link->setTransparent(false);
        seen = parent.grab(link->geometry()).toImage();
        QCOMPARE(seen.pixel(0, 0) & 0xFFFFFF, QRgb{0xFF0000});
    }
};

}  // namespace ottomix

QTEST_MAIN(ottomix::HyperlinkLabelTest)
#include "hyperlink_label_test.moc"
