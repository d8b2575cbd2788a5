// The About window as a user meets it: contents, modality, keys and placement.
#include "ui/about_window.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_launcher.h"
#include "widgets/links/link_registry.h"

namespace {

using ottomix::AboutWindow;
using ModalResult = ottomix::AboutWindow::ModalResult;

// Runs `whileOpen` once the window is shown modally; closes it after a while
// whatever happens, so a failing check cannot hang the run.
ModalResult showModallyAndRun(AboutWindow& window, const std::function<void()>& whileOpen) {
    QTimer::singleShot(0, &window, [&window, whileOpen] {
        if (QApplication::activeModalWidget() == &window) whileOpen();
    });
    QTimer::singleShot(5000, &window, [&window] {
        if (window.isVisible()) window.done(99);
    });
    return window.showModally();
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void showsCreditsAndTheTwoLinks() {
        AboutWindow window;
        QCOMPARE(window.windowTitle(), QString("About Mirrowen Software..."));
        QCOMPARE(window.size(), QSize(359, 175));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.thanksLabel()->text(),
                 QString("Thank you for trying Ottomix 2.  We hope you are happy with this product "
                         "and we would appreciate and feedback from you whether it is positive or "
                         "negative.  Please either e-mail us or fill in the form on our homepage, "
                         "there are links below."));
        QVERIFY(window.thanksLabel()->wordWrap());
        QVERIFY(window.thanksLabel()->font().bold());
        QCOMPARE(window.thanksLabel()->geometry(), QRect(96, 8, 257, 113));
        QCOMPARE(window.emailCaption()->text(), QString("E-Mail:"));
        QCOMPARE(window.homePageCaption()->text(), QString("Homepage:"));
        QCOMPARE(window.logo()->geometry(), QRect(8, 8, 73, 66));
        QVERIFY(!window.logo()->pixmap().isNull());
        QCOMPARE(window.okButton()->geometry(), QRect(152, 104, 75, 25));
        QCOMPARE(window.okButton()->text(), QString("OK"));
        QVERIFY(!window.okButton()->icon().isNull());
        QVERIFY(!window.okButton()->isDefault());

        // The bold labels keep their text whole and clear of the links.
        for (QLabel* label : {window.emailCaption(), window.homePageCaption()}) {
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        }
        QVERIFY(window.emailCaption()->geometry().right() < window.emailLink()->x() + 4);

        ottomix::HyperlinkLabel* mail = window.emailLink();
        QCOMPARE(mail->linkType(), ottomix::LinkType::Email);
        QCOMPARE(mail->caption(), QString("feedback@mirrowen.example"));
        QCOMPARE(mail->alias(), mail->caption());
        QCOMPARE(mail->pos(), QPoint(56, 136));
        QCOMPARE(mail->hint(), QString("mailto:feedback@mirrowen.example"));
        ottomix::HyperlinkLabel* home = window.homePageLink();
        QCOMPARE(home->linkType(), ottomix::LinkType::Http);
        QCOMPARE(home->caption(), QString("www.mirrowen.example"));
        QVERIFY(home->alias().isEmpty());
        QCOMPARE(home->pos(), QPoint(80, 152));
        QCOMPARE(home->launchTarget(), QString("http://www.mirrowen.example"));
        for (ottomix::HyperlinkLabel* link : {mail, home}) {
            QCOMPARE(link->menuItems(), ottomix::kAllLinkMenuItems);
            QCOMPARE(link->popupMenu()->actions().size(), 5);
            QCOMPARE(link->focusPolicy(), Qt::NoFocus);
            QVERIFY(link->showHint());
            // The hand picture, not Qt's own.
            QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
            QVERIFY(ottomix::LinkRegistry::instance().isRegistered(link));
            // Sized to its text, and the text fits inside the window.
            QVERIFY(link->width() < 200);
            QVERIFY(link->geometry().right() < window.width());
        }
    }

    void modalWindowBlocksOtherWindowsAndEnterCloses() {
        QWidget mainWindow;
        mainWindow.setGeometry(50, 50, 300, 200);
        auto* button = new QPushButton("Press", &mainWindow);
        button->setGeometry(10, 10, 100, 30);
        int presses = 0;
        connect(button, &QPushButton::clicked, [&] { ++presses; });
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
        QCOMPARE(presses, 1);

        AboutWindow window;
        bool modal = false;
        QWidget* focused = nullptr;
        const ModalResult result = showModallyAndRun(window, [&] {
            modal = window.isModal() && QApplication::activeModalWidget() == &window;
            QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
            QTest::keyClick(mainWindow.windowHandle(), Qt::Key_Space);
            focused = window.focusWidget();
            if (focused) QTest::keyClick(focused, Qt::Key_Return);
        });
        QVERIFY(modal);
        QCOMPARE(presses, 1);
        QCOMPARE(focused, static_cast<QWidget*>(window.okButton()));
        QCOMPARE(result, ModalResult::Ok);
        QVERIFY(!window.isVisible());

        // Input reaches the main window again.
        QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
        QCOMPARE(presses, 2);
    }

    void escapeDoesNothingCloseBoxCancels() {
        AboutWindow window;
        bool openAfterEscape = false;
        const ModalResult result = showModallyAndRun(window, [&] {
            QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_Escape);
            QTest::keyClick(&window, Qt::Key_Escape);
            openAfterEscape = window.isVisible();
            window.close();
        });
        QVERIFY(openAfterEscape);
        QCOMPARE(result, ModalResult::Cancel);
        QVERIFY(!window.isVisible());
    }

    void okButtonClickGivesOk() {
        AboutWindow window;
        const ModalResult result = showModallyAndRun(
            window, [&] { QTest::mouseClick(window.okButton(), Qt::LeftButton); });
        QCOMPARE(result, ModalResult::Ok);
    }

    void firstShownCentredThenWhereLeft() {
        AboutWindow window;
        QPoint first;
        QSize frame;
        showModallyAndRun(window, [&] {
            first = window.pos();
            frame = window.frameGeometry().size();
            window.move(10, 20);
            window.done(ModalResult::Ok);
        });
        // Centred frame and all: the title bar counts.
        QVERIFY(frame.width() >= window.width() && frame.height() >= window.height());
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(first, QPoint((screen.width() - frame.width()) / 2,
                               (screen.height() - frame.height()) / 2));
        QPoint second;
        showModallyAndRun(window, [&] {
            second = window.pos();
            window.done(ModalResult::Ok);
        });
        QCOMPARE(second, QPoint(10, 20));
    }

    void linksKeepTheirStateBetweenShowings() {
        AboutWindow window;
        // A program for the home page's type, recorded instead of started.
        QStringList targets;
        const ottomix::LaunchFunction previous =
            ottomix::setLaunchFunction([&](const QString&, const QString& target) {
                targets << target;
                return ottomix::kLaunchSucceeded;
            });
        showModallyAndRun(window, [&] {
            QTest::mouseClick(window.homePageLink(), Qt::LeftButton, {}, QPoint(5, 5));
            window.done(ModalResult::Ok);
        });
        ottomix::setLaunchFunction(previous);
        QCOMPARE(targets, QStringList{"http://www.mirrowen.example"});
        QVERIFY(window.homePageLink()->isVisited());
        QVERIFY(!window.emailLink()->isVisited());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
