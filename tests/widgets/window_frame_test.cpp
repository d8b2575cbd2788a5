// The frame every window of the program shares: fixed, without maximise, and
// placed (centred, or at a given corner) frame and all.
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

#include "widgets/window_look/artwork.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/frame_placement.h"

namespace ottomix {

class WindowFrameTest : public QObject {
    Q_OBJECT

  private slots:
    // Run also with QT_SCALE_FACTOR=2: the sharp version then, at the same size.
    void artworkMatchesTheScreensDensity() {
        QWidget window;
        const bool dense = window.devicePixelRatioF() >= 2.0;
        QCOMPARE(dense, qEnvironmentVariable("QT_SCALE_FACTOR") == u"2");
        for (const char* name : {":/ottomix/logo.png", ":/ottomix/background.png"}) {
            const QPixmap picture = artworkPixmap(QString::fromLatin1(name), &window);
            QVERIFY2(!picture.isNull(), name);
            QCOMPARE(picture.devicePixelRatio(), dense ? 2.0 : 1.0);
            QCOMPARE(picture.deviceIndependentSize().toSize(), QPixmap(name).size());
        }
    }
    void maximiseGoesTheOtherButtonsStay() {
        QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                    Qt::WindowCloseButtonHint);
        window.resize(200, 100);
        giveFixedFrame(&window);
        const Qt::WindowFlags flags = window.windowFlags();
        QCOMPARE(window.windowType(), Qt::Window);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        // No room to resize: what keeps maximise away where the hint does not.
        QCOMPARE(window.minimumSize(), QSize(200, 100));
        QCOMPARE(window.maximumSize(), QSize(200, 100));
    }

    void aWindowWithDefaultButtonsLosesMaximiseToo() {
        // Without the customise hint the platform adds its default buttons,
        // maximise among them.
        QWidget window(nullptr, Qt::Window);
        window.resize(150, 90);
        giveFixedFrame(&window);
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
    }

    void aDialogKeepsItsTypeAndHelpButton() {
        QDialog dialog;
        dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint);
        dialog.resize(120, 60);
        giveFixedFrame(&dialog);
        QCOMPARE(dialog.windowType(), Qt::Dialog);
        QVERIFY(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    }

    void aFixedLayoutSetsTheSize() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* child = new QWidget;
        child->setFixedSize(120, 80);
        layout->addWidget(child);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        window.resize(400, 400);
        giveFixedFrame(&window);
        QCOMPARE(window.minimumSize(), QSize(120, 80));
        QCOMPARE(window.maximumSize(), QSize(120, 80));
    }

    void aShownWindowStaysShown() {
        QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowCloseButtonHint);
        window.resize(100, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        giveFixedFrame(&window);
        QVERIFY(window.isVisible());
    }

    void centredFrameAndAll() {
        QWidget window;
        window.resize(300, 200);
        giveFixedFrame(&window);
        centreFrameOnScreen(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        const QRect frame = window.frameGeometry();
        // The platform draws a frame (the same on all sides here; the title
        // bar of a real window manager is checked by window_manager_test.sh).
        QVERIFY(frame.size() != window.size());
        const QRect screen = window.screen()->geometry();
        QTRY_COMPARE(window.frameGeometry().center(), screen.center());
    }

    void placedFrameAndAll() {
        QWidget window;
        window.resize(300, 200);
        placeFrameAt(&window, QPoint(227, 193));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(227, 193));
        QVERIFY(window.geometry().topLeft() != QPoint(227, 193));

        // Later showings leave it where it was moved.
        window.move(40, 50);
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(40, 50));
    }

    void aWindowShownLaterIsPlacedWhenShown() {
        // Placed at construction, shown once the first window is up: its
        // frame is guessed from that window and lands where it should.
        QWidget first;
        first.resize(100, 100);
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QWidget later;
        later.resize(200, 120);
        centreFrameOnScreen(&later);
        later.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later));
        QTRY_COMPARE(later.frameGeometry().center(), later.screen()->geometry().center());
    }
};

}  // namespace ottomix

QTEST_MAIN(ottomix::WindowFrameTest)
#include "window_frame_test.moc"
