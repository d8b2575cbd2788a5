// What a user sees of a link: size, drawing, tooltip, menu, clipboard, properties.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "link_test_support.h"
#include "widgets/hyperlink_label.h"

namespace {

QFontMetrics LinkMetrics(const THyperLink& link) {
    QFont font = link.font();
    font.setUnderline(true);
    return QFontMetrics(font);
}

QStringList MenuTexts(const THyperLink& link) {
    QStringList texts;
    for (const QAction* action : link.PopupMenu()->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    }
    return count;
}

void WhiteBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// Counts paints, to tell whether a setter repainted.
class CountingLink : public THyperLink {
  public:
    using THyperLink::THyperLink;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        THyperLink::paintEvent(e);
    }
};

}  // namespace

class LinkTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { UrlBase().ResetVisited(); }

    void newLinkDefaults() {
        THyperLink link;
        QCOMPARE(link.geometry(), QRect(20, 20, 100, 13));
        QCOMPARE(link.focusPolicy(), Qt::NoFocus);
        QCOMPARE(link.LinkType(), ltEmail);
        QCOMPARE(link.LinkColor(), TColor{0xFF0000});
        QCOMPARE(link.VisitedColor(), TColor{0x800080});
        QCOMPARE(link.MenuItems(), TLinkMenuItems{15});
        QCOMPARE(link.TransparentColor(), clNone);
        QVERIFY(link.Transparent() && link.AutoSize() && link.ShowHint() && !link.Visited());
        QCOMPARE(link.CursorId(), crHandPoint);
        QCOMPARE(link.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link.cursor().hotSpot(), QPoint(12, 5));
    }

    void autoSizeFollowsAliasOrPrefixAndCaption() {
        THyperLink link;
        link.SetLinkType(ltHttp);
        link.SetCaption("www.size.example");
        const QFontMetrics metrics = LinkMetrics(link);
        QCOMPARE(link.width(), metrics.horizontalAdvance("www.size.examplehttp://") + 10);
        QCOMPARE(link.height(), metrics.height() + 4);

        link.SetAlias("Size");
        QCOMPARE(link.width(), metrics.horizontalAdvance("Size") + 8);

        link.SetAutoSize(false);
        link.SetAlias("A much longer alias than before");
        QCOMPARE(link.width(), metrics.horizontalAdvance("Size") + 8);
    }

    void autoSizeRespectsAlign() {
        QWidget parent;
        parent.resize(400, 300);
        auto* link = new THyperLink(&parent);
        link->SetCaption("align@size.example");
        const QFontMetrics metrics = LinkMetrics(*link);
        const int w = metrics.horizontalAdvance("align@size.examplemailto:") + 10;
        const int h = metrics.height() + 4;

        link->SetAlign(TAlign::alTop);
        QCOMPARE(link->geometry(), QRect(0, 0, 400, h));
        link->SetAlign(TAlign::alBottom);
        QCOMPARE(link->geometry(), QRect(0, 300 - h, 400, h));
        link->SetAlign(TAlign::alLeft);
        QCOMPARE(link->geometry(), QRect(0, 0, w, 300));
        link->SetAlign(TAlign::alRight);
        QCOMPARE(link->geometry(), QRect(400 - w, 0, w, 300));
        link->SetAlign(TAlign::alClient);
        QCOMPARE(link->geometry(), QRect(0, 0, 400, 300));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        parent.resize(500, 200);
        QCOMPARE(link->geometry(), QRect(0, 0, 500, 200));
    }

    void hintShowsTargetUnlessOwnHintFits() {
        auto link = std::make_unique<THyperLink>();
        link->BeginLoad();
        link->SetLinkType(ltHttp);
        link->SetCaption("www.a-rather-long-address.example/with/a/path");
        link->SetHint("Our home page");
        link->SetAutoSize(false);
        link->resize(60, 17);
        link->Loaded();
        QCOMPARE(link->Hint(), QString("http://www.a-rather-long-address.example/with/a/path"));
        link->SetAutoSize(true);
        QCOMPARE(link->Hint(), QString("Our home page"));

        THyperLink plain;
        plain.SetAlias("Mail us");
        plain.SetCaption("mail@hint.example");
        QCOMPARE(plain.Hint(), QString("mailto:mail@hint.example"));

        // A picture link read from a layout has no hint of its own: its tooltip
        // follows the address, also after the caption changes.
        QImage picture(12, 9, QImage::Format_RGB32);
        picture.fill(Qt::red);
        THyperLink pictured;
        pictured.BeginLoad();
        pictured.SetLinkType(ltHttp);
        pictured.SetCaption("first.example");
        pictured.SetBitmap(picture);
        pictured.Loaded();
        QCOMPARE(pictured.Hint(), QString("http://first.example"));
        pictured.SetCaption("second.example");
        QCOMPARE(pictured.Hint(), QString("http://second.example"));
    }

    void tooltipShowsMarkupInTheAddressAsText() {
        QWidget parent;
        parent.resize(300, 40);
        auto* link = new THyperLink(&parent);
        link->SetLinkType(ltFile);
        link->SetCaption("/tmp/<b>notes</b> & <i>x</i>.txt");
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

    void drawsUnderlinedInLinkThenVisitedColour() {
        QWidget parent;
        parent.resize(300, 40);
        WhiteBackground(parent);
        auto* link = new THyperLink(&parent);
        link->SetAlias("colour@draw.example");
        link->SetCaption("colour@draw.example");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QImage image = link->grab().toImage();
        // The underline is a solid run in the link colour.
        QVERIFY(CountPixels(image, 0x0000FF) > link->width() / 2);
        QCOMPARE(CountPixels(image, 0x800080), 0);

        link->SetVisited(true);
        image = link->grab().toImage();
        QVERIFY(CountPixels(image, 0x800080) > link->width() / 2);
        QCOMPARE(CountPixels(image, 0x0000FF), 0);

        link->SetTransparent(false);
        link->SetColor(0x00FF00);
        image = link->grab().toImage();
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, QRgb{0x00FF00});
        QCOMPARE(image.pixel(link->width() - 1, link->height() - 1) & 0xFFFFFF, QRgb{0x00FF00});
    }

    void sameVisitedValueDoesNotRepaint() {
        QWidget parent;
        parent.resize(200, 40);
        auto* link = new CountingLink(&parent);
        link->SetCaption("paint.example");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QTRY_VERIFY(link->paints > 0);
        link->paints = 0;
        link->SetVisited(false);
        QTest::qWait(50);
        QCOMPARE(link->paints, 0);
        link->SetVisited(true);
        QTRY_VERIFY(link->paints > 0);
    }

    void customPrefixIsSharedCutAndReset() {
        THyperLink first;
        first.SetLinkType(ltCustom);
        first.SetCaption("thing");
        THyperLink second;
        second.SetLinkType(ltCustom);
        second.SetCaption("other");
        first.SetCustomPrefix("abcdefghijklmnopqrstuvwxy");
        QCOMPARE(first.CustomPrefix(), QString("abcdefghijklmnopqrst"));
        QCOMPARE(second.CustomPrefix(), QString("abcdefghijklmnopqrst"));
        QCOMPARE(second.LaunchTarget(), QString("abcdefghijklmnopqrstother"));
        QCOMPARE(LinkPrefix(ltCustom), QString("abcdefghijklmnopqrst"));

        THyperLink third;
        QCOMPARE(first.CustomPrefix(), QString());
        QCOMPARE(first.LaunchTarget(), QString("thing"));
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
        THyperLink link;
        link.SetMenuItems(0);
        link.SetMenuItems(static_cast<TLinkMenuItems>(items));
        QCOMPARE(MenuTexts(link), texts);
        if (items & MenuItem(lmnuOpen)) {
            QAction* open = link.PopupMenu()->defaultAction();
            QVERIFY(open);
            QCOMPARE(open->text(), QString("&Open"));
            QVERIFY(open->font().bold());
        }
    }

    void popupBuiltWhenLoadingEnds() {
        THyperLink link;
        link.BeginLoad();
        link.SetMenuItems(MenuItem(lmnuCopyUrl));
        link.Loaded();
        QCOMPARE(MenuTexts(link), QStringList{"Copy Url to clipboard"});
    }

    void copyUrlPutsPrefixAndCaption() {
        THyperLink link;
        link.SetAlias("Write to us");
        link.SetCaption("copy@clip.example");
        QGuiApplication::clipboard()->setText("before");
        for (QAction* action : link.PopupMenu()->actions()) {
            if (action->text() == "Copy Url to clipboard") action->trigger();
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("mailto:copy@clip.example"));
    }

    void propertiesWindowDescribesTheLink() {
        LaunchRecorder launcher;
        QWidget parent;
        parent.setGeometry(100, 100, 400, 200);
        auto* link = new THyperLink(&parent);
        link->BeginLoad();
        link->setGeometry(56, 136, 118, 17);
        link->SetAlias("props@about.example");
        link->SetCaption("props@about.example");
        link->Loaded();
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        auto text = [](QDialog& window, const char* name) {
            QLabel* label = window.findChild<QLabel*>(name);
            return label ? label->text() : QString("<missing %1>").arg(name);
        };
        auto window = UrlBase().CreateLinkProperties(link);
        QCOMPARE(window->windowTitle(), QString("THyperLink Properties..."));
        QCOMPARE(window->size(), QSize(390, 250));
        QCOMPARE(window->findChild<QTabWidget*>()->tabText(0), QString("Common"));
        QCOMPARE(text(*window, "TitleLabel"),
                 QString("props@about.example (mailto:props@about.example)"));
        QCOMPARE(text(*window, "ServiceLabel"), QString("Email Service"));
        QCOMPARE(text(*window, "AddressLabel"), QString("props@about.example"));
        QCOMPARE(text(*window, "ProgramLabel"), QString("Associated Application (Registry)"));
        QCOMPARE(text(*window, "VisitedLabel"), QString("No"));
        QCOMPARE(window->findChild<QLabel*>("ServiceLabel")->toolTip(),
                 QString("The service of the THyperLink"));
        QCOMPARE(window->findChild<QLabel*>("ProgramLabel")->toolTip(),
                 QString("The application will be used to open the HyperLink"));
        // Captions stay whole and clear of the values beside them.
        for (const char* name :
             {"ServiceCaption", "AddressCaption", "ProgramCaption", "VisitedCaption"}) {
            QLabel* caption = window->findChild<QLabel*>(name);
            QVERIFY2(caption, name);
            QVERIFY2(caption->sizeHint().width() <= caption->width(), name);
            QVERIFY2(caption->geometry().right() < 76, name);
        }
        const QPoint corner = link->mapToGlobal(QPoint(0, 0));
        QCOMPARE(window->pos(),
                 QPoint(corner.x() + link->width() / 2, corner.y() + link->height()));

        link->Click();
        UrlBase().SetTypeApplication(ltEmail, "/usr/bin/mailer");
        window = UrlBase().CreateLinkProperties(link);
        UrlBase().SetTypeApplication(ltEmail, QString());
        QCOMPARE(text(*window, "VisitedLabel"), QString("Yes"));
        QCOMPARE(text(*window, "ProgramLabel"), QString("/usr/bin/mailer"));
    }

    void propertiesEntryShowsModalWindowClosedByEscape() {
        THyperLink link;
        link.SetLinkType(ltHttp);
        link.SetCaption("www.modal.example");
        QString seen_title;
        bool closed_by_escape = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            seen_title = modal->windowTitle();
            QTest::keyClick(modal, Qt::Key_Escape);
            closed_by_escape = !modal->isVisible();
        });
        // Never hang the run if the window did not close.
        QTimer::singleShot(5000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        QAction* properties = link.PopupMenu()->actions().last();
        QCOMPARE(properties->text(), QString("&Properties"));
        properties->trigger();
        QCOMPARE(seen_title, QString("THyperLink Properties..."));
        QVERIFY(closed_by_escape);
    }

    void bitmapLayoutLeavesTransparentColourOut() {
        QImage picture(10, 8, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 0));
        for (int y = 2; y < 6; ++y) {
            for (int x = 3; x < 7; ++x) picture.setPixel(x, y, qRgb(0, 255, 0));
        }
        QWidget parent;
        parent.resize(100, 50);
        WhiteBackground(parent);
        auto* link = new THyperLink(&parent);
        link->SetCaption("bitmap.example");
        link->SetBitmap(picture);
        QCOMPARE(link->LinkLayout(), llyBitmap);
        QCOMPARE(link->size(), QSize(10, 8));
        QCOMPARE(link->TransparentColor(), TColor{0x0000FF});
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QImage seen = parent.grab(link->geometry()).toImage();
        QCOMPARE(seen.pixel(0, 0) & 0xFFFFFF, QRgb{0xFFFFFF});
        QCOMPARE(seen.pixel(4, 3) & 0xFFFFFF, QRgb{0x00FF00});

        link->SetTransparent(false);
        seen = parent.grab(link->geometry()).toImage();
        QCOMPARE(seen.pixel(0, 0) & 0xFFFFFF, QRgb{0xFF0000});
    }
};

QTEST_MAIN(LinkTest)
#include "link_test.moc"
