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

#include "widgets/hyperlink_label.h"
#include "widgets/link_launcher.h"
#include "widgets/link_registry.h"

namespace {

// Runs `while_open` once the window is shown modally; closes it after a while
// whatever happens, so a failing check cannot hang the run.
int ShowModalAndRun(TForm3& form, std::function<void()> while_open) {
    QTimer::singleShot(0, &form, [&form, while_open] {
        if (QApplication::activeModalWidget() == &form) while_open();
    });
    QTimer::singleShot(5000, &form, [&form] {
        if (form.isVisible()) form.done(99);
    });
    return form.ShowModal();
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void showsCreditsAndTheTwoLinks() {
        TForm3 form;
        QCOMPARE(form.windowTitle(), QString("About Mirrowen Software..."));
        QCOMPARE(form.size(), QSize(359, 175));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.Label1->text(),
                 QString("Thank you for trying Ottomix 2.  We hope you are happy with this product "
                         "and we would appreciate and feedback from you whether it is positive or "
                         "negative.  Please either e-mail us or fill in the form on our homepage, "
                         "there are links below."));
        QVERIFY(form.Label1->wordWrap());
        QVERIFY(form.Label1->font().bold());
        QCOMPARE(form.Label1->geometry(), QRect(96, 8, 257, 113));
        QCOMPARE(form.Label2->text(), QString("E-Mail:"));
        QCOMPARE(form.Label3->text(), QString("Homepage:"));
        QCOMPARE(form.Image1->geometry(), QRect(8, 8, 73, 66));
        QVERIFY(!form.Image1->pixmap().isNull());
        QCOMPARE(form.BitBtn1->geometry(), QRect(152, 104, 75, 25));
        QCOMPARE(form.BitBtn1->text(), QString("OK"));
        QVERIFY(!form.BitBtn1->icon().isNull());
        QVERIFY(!form.BitBtn1->isDefault());

        // The bold labels keep their text whole and clear of the links.
        for (QLabel* label : {form.Label2, form.Label3}) {
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        }
        QVERIFY(form.Label2->geometry().right() < form.HyperLink1->x() + 4);

        ottomix::HyperlinkLabel* mail = form.HyperLink1;
        QCOMPARE(mail->linkType(), ottomix::LinkType::Email);
        QCOMPARE(mail->caption(), QString("feedback@mirrowen.example"));
        QCOMPARE(mail->alias(), mail->caption());
        QCOMPARE(mail->pos(), QPoint(56, 136));
        QCOMPARE(mail->hint(), QString("mailto:feedback@mirrowen.example"));
        ottomix::HyperlinkLabel* home = form.HyperLink2;
        QCOMPARE(home->linkType(), ottomix::LinkType::Http);
        QCOMPARE(home->caption(), QString("www.mirrowen.example"));
        QVERIFY(home->alias().isEmpty());
        QCOMPARE(home->pos(), QPoint(80, 152));
        QCOMPARE(home->launchTarget(), QString("http://www.mirrowen.example"));
        for (ottomix::HyperlinkLabel* link : {mail, home}) {
            QCOMPARE(link->menuItems(), ottomix::kAllLinkMenuItems);
            QCOMPARE(link->popupMenu()->actions().size(), 5);
            QCOMPARE(link->focusPolicy(), Qt::NoFocus);
            QVERIFY(link->showHint() && !link->parentShowHint());
            QVERIFY(ottomix::LinkRegistry::instance().isRegistered(link));
            // Sized to its text, and the text fits inside the window.
            QVERIFY(link->width() < 200);
            QVERIFY(link->geometry().right() < form.width());
        }
    }

    void modalWindowBlocksOtherWindowsAndEnterCloses() {
        QWidget main_window;
        main_window.setGeometry(50, 50, 300, 200);
        auto* button = new QPushButton("Press", &main_window);
        button->setGeometry(10, 10, 100, 30);
        int presses = 0;
        connect(button, &QPushButton::clicked, [&] { ++presses; });
        main_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main_window));
        QTest::mouseClick(main_window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
        QCOMPARE(presses, 1);

        TForm3 form;
        bool modal = false;
        QWidget* focused = nullptr;
        const int result = ShowModalAndRun(form, [&] {
            modal = form.isModal() && QApplication::activeModalWidget() == &form;
            QTest::mouseClick(main_window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
            QTest::keyClick(main_window.windowHandle(), Qt::Key_Space);
            focused = form.focusWidget();
            if (focused) QTest::keyClick(focused, Qt::Key_Return);
        });
        QVERIFY(modal);
        QCOMPARE(presses, 1);
        QCOMPARE(focused, static_cast<QWidget*>(form.BitBtn1));
        QCOMPARE(result, TForm3::mrOk);
        QVERIFY(!form.isVisible());

        // Input reaches the main window again.
        QTest::mouseClick(main_window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
        QCOMPARE(presses, 2);
    }

    void escapeDoesNothingCloseBoxCancels() {
        TForm3 form;
        bool open_after_escape = false;
        const int result = ShowModalAndRun(form, [&] {
            QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_Escape);
            QTest::keyClick(&form, Qt::Key_Escape);
            open_after_escape = form.isVisible();
            form.close();
        });
        QVERIFY(open_after_escape);
        QCOMPARE(result, TForm3::mrCancel);
        QVERIFY(!form.isVisible());
    }

    void okButtonClickGivesOk() {
        TForm3 form;
        const int result =
            ShowModalAndRun(form, [&] { QTest::mouseClick(form.BitBtn1, Qt::LeftButton); });
        QCOMPARE(result, TForm3::mrOk);
    }

    void firstShownCentredThenWhereLeft() {
        TForm3 form;
        QPoint first;
        ShowModalAndRun(form, [&] {
            first = form.pos();
            form.move(10, 20);
            form.done(TForm3::mrOk);
        });
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(first, QPoint((screen.width() - form.width()) / 2,
                               (screen.height() - form.height()) / 2));
        QPoint second;
        ShowModalAndRun(form, [&] {
            second = form.pos();
            form.done(TForm3::mrOk);
        });
        QCOMPARE(second, QPoint(10, 20));
    }

    void linksKeepTheirStateBetweenShowings() {
        TForm3 form;
        // A program for the home page's type, recorded instead of started.
        QStringList targets;
        const ottomix::LaunchFunction previous =
            ottomix::setLaunchFunction([&](const QString&, const QString& target) {
                targets << target;
                return ottomix::kLaunchSucceeded;
            });
        ShowModalAndRun(form, [&] {
            QTest::mouseClick(form.HyperLink2, Qt::LeftButton, {}, QPoint(5, 5));
            form.done(TForm3::mrOk);
        });
        ottomix::setLaunchFunction(previous);
        QCOMPARE(targets, QStringList{"http://www.mirrowen.example"});
        QVERIFY(form.HyperLink2->isVisited());
        QVERIFY(!form.HyperLink1->isVisited());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
