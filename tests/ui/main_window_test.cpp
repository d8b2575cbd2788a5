// The main window as the user meets it: its start state and layout, the two
// modes, the View page, jobs through the buttons and what they report, and
// the failure box.
#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/ui/app_test_util.h"
#include "tests/ui/layout_check.h"
#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/browser/file_system.h"
#include "ui/glyph_button.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"
#include "widgets/window_look/user_message.h"

namespace {

using ottomix::GlyphButton;
using ottomix::MainWindow;

struct Box {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The progress window, counting the jobs that began.
class CountedProgress : public ottomix::ProgressWindow {
  public:
    int resets = 0;
    void reset() override {
        ++resets;
        ProgressWindow::reset();
    }
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        oldCwd_ = cwd;
        // The browser starts in the process's current directory.
        ASSERT_EQ(::chdir(dir().c_str()), 0);
        write("alpha.txt", "ABC\n");
        write("notes.txt", "first\r\nsecond\r\n");
        write("data.bin", std::string("\x00\x7f\xff", 3));
        ottomix::setMessageHook(
            [this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
                boxes_.push_back({icon, caption, text});
            });
        window_ = std::make_unique<MainWindow>();
        window_->setProgressWindow(&progress_);
        window_->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        window_.reset();
        ottomix::setMessageHook({});
        ASSERT_EQ(::chdir(oldCwd_.c_str()), 0);
    }

    std::string dir() const { return dir_.path().toStdString(); }
    std::string path(const std::string& name) const { return dir() + "/" + name; }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < window_->fileList()->count(); ++i)
            names << window_->fileList()->itemText(i);
        return names;
    }
    // A click on the file's row, as the user makes it; then the event loop
    // runs, which is where a handler's exception surfaces.
    void clickFile(const QString& name) {
        ottomix::FileList* list = window_->fileList();
        const int row = static_cast<int>(listed().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString() << " is not listed";
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents();
    }
    // A click, and the job it may have started run to its report.
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        waitForJob();
    }
    // Jobs run on a thread of their own and report through the event loop.
    void waitForJob() {
        QCoreApplication::processEvents();
        QElapsedTimer waited;
        waited.start();
        while (window_->isJobRunning() && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        ASSERT_FALSE(window_->isJobRunning()) << "the job did not end within a minute";
    }
    // Starts a Binary Mode Encrypt of 16 GiB (sparse: quick to make, long to
    // read) over an earlier "encrypt.exe", and returns while it runs.
    void startLongJob() {
        write("encrypt.exe", "earlier");
        {
            std::ofstream big(path("huge.bin"), std::ios::binary);
            big.seekp((std::int64_t{16} << 30) - 1);
            big.put('x');
        }
        click(window_->binaryModeButton());
        clickFile("huge.bin");
        QTest::mouseClick(window_->encryptButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QString viewed() const { return window_->viewer()->document()->toPlainText(); }

    QTemporaryDir dir_;
    std::string oldCwd_;
    CountedProgress progress_;
    std::unique_ptr<MainWindow> window_;
    std::vector<Box> boxes_;
};

TEST_F(MainWindowTest, StartsInTextModeOnTheBrowsePageWithTheLayoutsGeometry) {
    MainWindow& f = *window_;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Ottomix V2.1b - Mirrowen Software"));
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_EQ(f.client()->size(), QSize(500, 306));
    EXPECT_EQ(f.client()->mapTo(&f, QPoint(0, 0)), QPoint(0, f.menuBar()->height()));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "the window must not be resizable";
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_TRUE(f.isTextMode());
    EXPECT_TRUE(f.textModeButton()->isChecked());
    EXPECT_EQ(f.fileList()->mask(), "*.txt");
    EXPECT_EQ(listed(), (QStringList{"alpha.txt", "notes.txt"}));
    EXPECT_EQ(f.fileList()->fileName(), "");
    EXPECT_EQ(f.directoryTree()->currentDir(), dir());

    // The browse page: every control shown, none overlapping or clipped; the
    // viewer's page waits hidden.
    EXPECT_TRUE(f.viewer()->isHidden());
    EXPECT_TRUE(f.okButton()->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{
             f.directoryTree(), f.fileList(), f.driveSelector(), f.exitButton(), f.encryptButton(),
             f.decryptButton(), f.modeGroup(), f.textModeButton(), f.binaryModeButton(),
             f.viewButton()})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    // The mode buttons' rows share a pixel line, as the layout has them.
    EXPECT_EQ(ottomix::test::layoutFaults(
                  f.client(), {f.backgroundImage(), f.textModeButton(), f.binaryModeButton()})
                  .join('\n')
                  .toStdString(),
              "");
    // The background lies under everything, partly outside the client area.
    EXPECT_EQ(f.backgroundImage()->pos(), QPoint(-8, -32));
    EXPECT_EQ(f.client()->children().indexOf(f.backgroundImage()), 0);
    EXPECT_FALSE(f.backgroundImage()->pixmap().isNull());

    EXPECT_EQ(f.encryptButton()->glyphLayout(), ottomix::GlyphLayout::Bottom);
    EXPECT_EQ(f.exitButton()->glyphLayout(), ottomix::GlyphLayout::Left);
    for (GlyphButton* b : {f.exitButton(), f.encryptButton(), f.decryptButton(), f.viewButton()}) {
        EXPECT_FALSE(b->glyph().isNull()) << b->text().toStdString();
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->text().toStdString();
    }
    EXPECT_EQ(f.viewer()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(f.viewer()->isReadOnly());
}

TEST_F(MainWindowTest, CentredAtFirstShowingOnlyAndAboutShownModally) {
    MainWindow& f = *window_;
    const QRect screen = f.screen()->geometry();
    const QSize frame = f.frameGeometry().size();
    EXPECT_EQ(f.pos(), QPoint(screen.x() + std::max(0, (screen.width() - frame.width()) / 2),
                              screen.y() + std::max(0, (screen.height() - frame.height()) / 2)));
    f.hide();
    f.move(10, 20);
    f.show();
    EXPECT_EQ(f.pos(), QPoint(10, 20));

    ottomix::AboutWindow about;
    f.setAboutWindow(&about);
    bool wasModal = false;
    QTimer::singleShot(0, &about, [&] {
        wasModal = about.isVisible() && QApplication::activeModalWidget() == &about;
        QTest::mouseClick(about.okButton(), Qt::LeftButton);
    });
    f.aboutAction()->trigger();  // returns once the window has closed
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, TabOrderAndMenuFollowTheLayout) {
    MainWindow& f = *window_;
    const std::vector<QWidget*> order = {
        f.directoryTree(), f.fileList(),      f.driveSelector(),  f.exitButton(),
        f.encryptButton(), f.decryptButton(), f.textModeButton(), f.binaryModeButton(),
        f.viewButton(),    f.okButton(),      f.viewer()};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->focusProxy() != nullptr)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << "after " << order[i]->objectName().toStdString();
    }

    const QList<QAction*> top = f.menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("System"));
    EXPECT_EQ(top[0]->menu(), f.systemMenu());
    EXPECT_EQ(top[1], f.aboutAction());
    EXPECT_EQ(f.aboutAction()->text(), QStringLiteral("About..."));
    EXPECT_EQ(f.aboutAction()->menu(), nullptr) << "About... is a command, not a menu";
    ASSERT_EQ(f.systemMenu()->actions().size(), 1);
    EXPECT_EQ(f.systemMenu()->actions()[0], f.quitAction());
    EXPECT_EQ(f.quitAction()->text(), QStringLiteral("&Quit"));
    for (QAction* a : {f.quitAction(), f.aboutAction()}) EXPECT_TRUE(a->shortcut().isEmpty());
}

TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
    MainWindow& f = *window_;
    EXPECT_EQ(f.font().pixelSize(), 11);
    for (GlyphButton* b : {f.exitButton(), f.encryptButton(), f.decryptButton(), f.viewButton()}) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.rect = b->rect();
        const QRect contents =
            b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
        const QSize need = b->contentSize();
        EXPECT_LE(need.width(), contents.width()) << b->text().toStdString();
        EXPECT_LE(need.height(), contents.height()) << b->text().toStdString();
        QRect glyph, caption;
        b->contentRects(contents, &glyph, &caption);
        EXPECT_FALSE(glyph.intersects(caption)) << b->text().toStdString();
        EXPECT_TRUE(contents.contains(glyph) && contents.contains(caption))
            << b->text().toStdString();
        if (b->glyphLayout() == ottomix::GlyphLayout::Bottom)
            EXPECT_GT(glyph.top(), caption.bottom()) << b->text().toStdString();
        else
            EXPECT_LT(glyph.right(), caption.left()) << b->text().toStdString();
        // The focus frame's lines (the right and bottom ones one pixel out)
        // stay inside the button and clear of the glyph and the caption.
        const QRect frame = b->focusFrame(glyph, caption);
        const QRect lines = frame.adjusted(0, 0, 1, 1);
        EXPECT_TRUE(b->rect().adjusted(2, 2, -2, -2).contains(lines)) << b->text().toStdString();
        EXPECT_TRUE(frame.adjusted(2, 2, -1, -1).contains(glyph)) << b->text().toStdString();
        EXPECT_TRUE(frame.adjusted(1, 1, 0, 0).contains(caption)) << b->text().toStdString();
    }
    for (QRadioButton* r : {f.textModeButton(), f.binaryModeButton()}) {
        QStyleOptionButton option;
        option.initFrom(r);
        option.rect = r->rect();
        const QRect label = r->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, r);
        EXPECT_LE(r->fontMetrics().horizontalAdvance(r->text()), label.width())
            << r->text().toStdString();
        EXPECT_LE(r->fontMetrics().height(), r->height()) << r->text().toStdString();
        // The radio buttons sit inside the group's frame.
        EXPECT_LE(r->geometry().right(), f.modeGroup()->contentsRect().right());
    }
    EXPECT_LE(f.modeGroup()->fontMetrics().horizontalAdvance(f.modeGroup()->title()) + 16,
              f.modeGroup()->width());
    EXPECT_LE(f.okButton()->fontMetrics().horizontalAdvance(f.okButton()->text()) + 8,
              f.okButton()->width());
}

TEST_F(MainWindowTest, ModeSwitchChangesMaskListAndViewButton) {
    MainWindow& f = *window_;
    clickFile("notes.txt");
    EXPECT_EQ(viewed(), QStringLiteral("first\nsecond\n"));

    click(f.binaryModeButton());
    EXPECT_FALSE(f.isTextMode());
    EXPECT_EQ(f.fileList()->mask(), "*.*");
    EXPECT_EQ(listed(), (QStringList{"alpha.txt", "data.bin", "notes.txt"}));
    EXPECT_FALSE(f.viewButton()->isVisible());
    // Binary Mode loads nothing into the viewer.
    clickFile("alpha.txt");
    EXPECT_EQ(f.fileList()->fileName(), path("alpha.txt"));
    EXPECT_EQ(viewed(), QStringLiteral("first\nsecond\n"));

    click(f.textModeButton());
    EXPECT_TRUE(f.isTextMode());
    EXPECT_EQ(f.fileList()->mask(), "*.txt");
    EXPECT_EQ(listed(), (QStringList{"alpha.txt", "notes.txt"}));
    EXPECT_EQ(f.fileList()->fileName(), "") << "a mode switch reads the list again";
    EXPECT_TRUE(f.viewButton()->isVisible());
    EXPECT_EQ(viewed(), QStringLiteral("first\nsecond\n")) << "the viewer keeps its file";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, ViewAndOkSwapExactlyTheListedControls) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    const std::vector<QWidget*> all = {f.viewer(),        f.directoryTree(),  f.fileList(),
                                       f.driveSelector(), f.exitButton(),     f.encryptButton(),
                                       f.decryptButton(), f.modeGroup(),      f.viewButton(),
                                       f.okButton(),      f.backgroundImage()};
    std::vector<bool> before;
    for (QWidget* w : all) before.push_back(w->isVisible());

    click(f.viewButton());
    for (QWidget* w : all) {
        const bool shown = w == f.viewer() || w == f.okButton() || w == f.backgroundImage();
        EXPECT_EQ(w->isVisible(), shown) << w->objectName().toStdString();
    }
    EXPECT_EQ(viewed(), QStringLiteral("ABC\n"));
    EXPECT_EQ(f.fileList()->fileName(), path("alpha.txt")) << "hiding keeps the selection";

    click(f.okButton());
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i]->isVisible(), before[i]) << all[i]->objectName().toStdString();
    EXPECT_EQ(f.fileList()->fileName(), path("alpha.txt"));
}

TEST_F(MainWindowTest, EncryptAndDecryptThroughTheButtonsListTheOutputWithNoSelection) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    click(f.encryptButton());
    // A B C LF minus 2, 3, 2, 3.
    EXPECT_EQ(readAll(path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
    EXPECT_EQ(f.progressTotal(), 5);
    EXPECT_TRUE(listed().contains(QStringLiteral("encrypt.txt")));
    EXPECT_EQ(f.fileList()->selectedRow(), -1);
    EXPECT_EQ(f.fileList()->fileName(), "");
    EXPECT_TRUE(progress_.isVisible());
    EXPECT_EQ(progress_.captionLabel()->text(), QStringLiteral("File Successfully Encrypted!"));

    clickFile("encrypt.txt");
    click(f.decryptButton());
    EXPECT_EQ(readAll(path("dencrypt.txt")), "ABC\r\n");
    EXPECT_EQ(listed(), (QStringList{"alpha.txt", "dencrypt.txt", "encrypt.txt", "notes.txt"}));
    EXPECT_EQ(f.fileList()->fileName(), "");

    click(f.binaryModeButton());
    clickFile("data.bin");
    click(f.encryptButton());
    EXPECT_EQ(readAll(path("encrypt.exe")), std::string("\x01\x80\x00", 3));
    clickFile("encrypt.exe");
    click(f.decryptButton());
    EXPECT_EQ(readAll(path("decrypt.exe")), std::string("\x00\x7f\xff", 3));
    EXPECT_TRUE(listed().contains(QStringLiteral("decrypt.exe")));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text.toStdString();
}

// Escape in the main window cancels a job already in its counting pass,
// before the progress window is shown: the earlier output stays.
TEST_F(MainWindowTest, EscapeDuringTheCountingPassCancelsTheJob) {
    MainWindow& f = *window_;
    startLongJob();
    ASSERT_TRUE(f.isJobRunning());
    EXPECT_FALSE(progress_.isVisible()) << "still counting";
    EXPECT_EQ(f.cursor().shape(), Qt::BusyCursor);
    QTest::keyClick(&f, Qt::Key_Escape);
    waitForJob();
    EXPECT_FALSE(progress_.isVisible()) << "the counting pass never ended";
    EXPECT_EQ(progress_.captionLabel()->text(), QStringLiteral("Encryption Cancelled"));
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(readAll(path("encrypt.exe")), "earlier");
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
              QStringList());
    EXPECT_TRUE(boxes_.empty()) << "a cancelled job needs no message";
}

// While a job runs the window takes clicks and repaints; a second Encrypt,
// Decrypt and the mode switch start nothing; Escape in the progress window
// cancels. Afterwards everything answers again.
TEST_F(MainWindowTest, WindowStaysLiveButStartsNoSecondJob) {
    MainWindow& f = *window_;
    startLongJob();
    ASSERT_TRUE(f.isJobRunning());

    const auto press = [](QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    };
    press(f.viewButton());
    EXPECT_TRUE(f.viewer()->isVisible()) << "a click during the job";
    press(f.okButton());
    PaintCounter painted(f.client());
    f.client()->update();
    for (int i = 0; i < 50 && painted.paints == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_GT(painted.paints, 0) << "a repaint during the job";
    EXPECT_TRUE(f.isJobRunning());
    press(f.encryptButton());
    press(f.decryptButton());
    press(f.textModeButton());
    EXPECT_FALSE(f.isTextMode());
    EXPECT_EQ(progress_.resets, 1) << "a second job began";

    QTest::keyClick(&progress_, Qt::Key_Escape);
    waitForJob();
    EXPECT_EQ(progress_.resets, 1);
    EXPECT_EQ(progress_.captionLabel()->text(), QStringLiteral("Encryption Cancelled"));
    EXPECT_EQ(readAll(path("encrypt.exe")), "earlier");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("decrypt.exe"))));
    clickFile("data.bin");
    click(f.encryptButton());
    EXPECT_EQ(readAll(path("encrypt.exe")), std::string("\x01\x80\x00", 3));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, EnterPressesTheFocusedButton) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    f.encryptButton()->setFocus();
    QTest::keyClick(f.encryptButton(), Qt::Key_Return);
    waitForJob();
    EXPECT_EQ(readAll(path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
    click(progress_.okButton());  // the progress window had come to the front
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    clickFile("notes.txt");
    f.viewButton()->setFocus();
    QTest::keyClick(f.viewButton(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(f.viewer()->isVisible());
    ASSERT_TRUE(f.okButton()->hasFocus()) << "hiding View hands the focus on to Ok";
    QTest::keyClick(f.okButton(), Qt::Key_Return);
    EXPECT_FALSE(f.viewer()->isVisible());
    EXPECT_TRUE(f.viewButton()->hasFocus());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, NothingSelectedStaysSilentAndChangesNothing) {
    MainWindow& f = *window_;
    write("encrypt.txt", "keep me");
    click(f.textModeButton());  // reads the list again: nothing selected
    f.setProgressTotal(42);
    click(f.encryptButton());
    click(f.decryptButton());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(readAll(path("encrypt.txt")), "keep me");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("dencrypt.txt"))));
    EXPECT_EQ(f.progressTotal(), 42);
    EXPECT_EQ(progress_.maximum(), 0) << "the job resets the bar and stops";
}

TEST_F(MainWindowTest, OwnOutputAsInputIsRefusedWithAClearMessage) {
    MainWindow& f = *window_;
    write("encrypt.txt", "previous output");
    click(f.textModeButton());
    clickFile("encrypt.txt");
    click(f.encryptButton());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Encrypt"));
    EXPECT_TRUE(boxes_[0].text.startsWith(
        QString::fromStdString("Cannot use file " + path("encrypt.txt") + " as input")))
        << boxes_[0].text.toStdString();
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("own output file")));
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("Select another file")));
    EXPECT_EQ(readAll(path("encrypt.txt")), "previous output");
    EXPECT_EQ(f.fileList()->fileName(), "") << "the list is read again after a refusal too";
}

TEST_F(MainWindowTest, JobFailureNamesTheFileAndTheReason) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    ASSERT_EQ(::unlink(path("alpha.txt").c_str()), 0);
    click(f.encryptButton());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, QString::fromStdString("Cannot open file " + path("alpha.txt") +
                                                     ": No such file or directory."));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("encrypt.txt"))));
    EXPECT_FALSE(listed().contains(QStringLiteral("alpha.txt")));
}

TEST_F(MainWindowTest, LossyTextEncryptWarnsWithCountsAndCrLfFilesDoNot) {
    MainWindow& f = *window_;
    clickFile("notes.txt");  // CR LF line ends come back as CR LF: nothing to warn of
    click(f.encryptButton());
    EXPECT_TRUE(boxes_.empty());

    // Delivered: x y 0x0F z z. 0x0F under key 2 becomes a bare CR in the
    // output (3 bytes from there on are lost to Decrypt); one lone CR and the
    // 5 bytes from Ctrl-Z on are dropped.
    write("lossy.txt", std::string("x\ry\x0fzz\x1atail", 11));
    click(f.textModeButton());
    clickFile("lossy.txt");
    click(f.encryptButton());
    ASSERT_EQ(boxes_.size(), 1u);
    const QString& text = boxes_[0].text;
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(text.startsWith(QStringLiteral("lossy.txt has been encrypted to encrypt.txt")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(
        "6 bytes left out by the text rules (1 lone CR byte, 5 bytes from the end-of-file mark")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("The last 3 bytes will not decrypt back")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1 value")));
    EXPECT_TRUE(text.contains(QStringLiteral("Binary Mode")));
    // The output format is unchanged by the warning.
    EXPECT_EQ(readAll(path("encrypt.txt")), std::string("\x76\x76\x0d\x77\x78", 5));
}

TEST_F(MainWindowTest, ViewerFailureIsShownAndKeepsTheContent) {
    clickFile("alpha.txt");
    clickFile("notes.txt");
    ASSERT_EQ(viewed(), QStringLiteral("first\nsecond\n"));
    ASSERT_EQ(::unlink(path("alpha.txt").c_str()), 0);
    clickFile("alpha.txt");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[0].text,
              QString::fromStdString("Cannot open file " + path("alpha.txt") + "."));
    EXPECT_EQ(viewed(), QStringLiteral("first\nsecond\n"));
}

TEST_F(MainWindowTest, ModeSwitchInAVanishedDirectoryShowsTheIoError) {
    MainWindow& f = *window_;
    const std::string sub = path("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    f.directoryTree()->changeDir(sub);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    click(f.binaryModeButton());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[0].text, QStringLiteral("File not found."));
    // The handler was abandoned at the failing read: View is still shown.
    EXPECT_TRUE(f.viewButton()->isVisible());
}

TEST_F(MainWindowTest, JobInAVanishedDirectoryReportsTheJobThenTheIoError) {
    MainWindow& f = *window_;
    const std::string sub = path("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    f.directoryTree()->changeDir(sub);
    std::ofstream(sub + "/in.txt") << "text";
    click(f.textModeButton());
    clickFile("in.txt");
    ASSERT_EQ(::unlink((sub + "/in.txt").c_str()), 0);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    click(f.encryptButton());
    // The job's own failure first, then the list's read of the lost directory.
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Encrypt"));
    EXPECT_EQ(boxes_[0].text, QString::fromStdString("Cannot open file " + sub +
                                                     "/in.txt: No such file or directory."));
    EXPECT_EQ(boxes_[1].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[1].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[1].text, QStringLiteral("File not found."));
}

// --- Opening a path, and files dropped from a file manager ----------------

// Notes whether an event of one type reached the object it watches.
class Witness : public QObject {
  public:
    explicit Witness(QEvent::Type type) : type_(type) {}
    bool seen = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) seen = true;
        return false;
    }

  private:
    QEvent::Type type_;
};

// A file manager's drag of `urls` onto the window. The events take the way
// Qt's own take: through the application, which hands the moves and the
// drop only to the widget that took the drag as it entered.
class DragFromFileManager {
  public:
    explicit DragFromFileManager(const QList<QUrl>& urls,
                                 Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction |
                                                           Qt::LinkAction) {
        data_.setUrls(urls);
        actions_ = actions;
    }
    // Whether the window takes the drag as it enters it over `window` or
    // one of its children. It must decide itself: the answer has to be the
    // same whichever way the event came in.
    std::optional<bool> enter(QWidget* window) {
        std::optional<bool> answer;
        for (const bool preset : {false, true}) {
            QDragEnterEvent event(window->rect().center(), actions_, &data_, Qt::LeftButton,
                                  Qt::NoModifier);
            event.setAccepted(preset);
            const bool seen = deliver(window, &event);
            const bool taken = seen && event.isAccepted();
            if (answer.has_value() && *answer != taken) return std::nullopt;
            answer = taken;
            if (taken) action_ = event.dropAction();
        }
        return answer;
    }
    // Whether the window, having taken the drag, still takes it as it moves.
    bool move(QWidget* window) { return offer<QDragMoveEvent>(window); }
    // Whether the window takes the drop.
    bool drop(QWidget* window) { return offer<QDropEvent>(window); }
    Qt::DropAction action() const { return action_; }

  private:
    // Sends the event to `widget`; true when the handlers of its window saw
    // it (a child that does not take a drag leaves it to its parents).
    static bool deliver(QWidget* widget, QEvent* event) {
        Witness witness(event->type());
        widget->window()->installEventFilter(&witness);
        QCoreApplication::sendEvent(widget, event);
        widget->window()->removeEventFilter(&witness);
        return witness.seen;
    }
    // The event comes in accepted as a move, so a window that refuses it or
    // changes the action has to say so.
    template <typename Event>
    bool offer(QWidget* window) {
        Event event(window->rect().center(), actions_, &data_, Qt::LeftButton, Qt::NoModifier);
        event.setDropAction(Qt::MoveAction);
        event.accept();
        const bool seen = deliver(window, &event);
        action_ = event.dropAction();
        return seen && event.isAccepted();
    }

    QMimeData data_;
    Qt::DropActions actions_;
    Qt::DropAction action_ = Qt::IgnoreAction;
};

QUrl fileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
}

class OpenPathTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(::mkdir(path("sub").c_str(), 0755), 0);
        write("sub/inner.txt", "inside\n");
        write("sub/image.png", "not really");
    }
    void TearDown() override {
        // Qt keeps the widget that took the last drag until a drop or a
        // leave; it must not outlive the window.
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window_.get(), &leave);
        MainWindowTest::TearDown();
    }
    // Drags `urls` in and drops them, expecting both to be taken as a copy;
    // then the event loop runs, where a failure would be shown.
    void dropAccepted(const QList<QUrl>& urls) {
        DragFromFileManager drag(urls);
        ASSERT_EQ(drag.enter(window_.get()), std::optional<bool>(true));
        EXPECT_EQ(drag.action(), Qt::CopyAction);
        EXPECT_TRUE(drag.move(window_.get()));
        ASSERT_TRUE(drag.drop(window_.get()));
        EXPECT_EQ(drag.action(), Qt::CopyAction) << "a move would have the source delete it";
        QCoreApplication::processEvents();
    }
    // The state a refused drop must leave alone.
    struct Seen {
        std::string dir;
        std::string selected;
        bool text;
        QString viewed;
        bool operator==(const Seen&) const = default;
    };
    Seen now() const {
        return {window_->fileList()->currentDir(), window_->fileList()->fileName(),
                window_->isTextMode(), viewed()};
    }
    void expectMode(bool text) {
        MainWindow& f = *window_;
        EXPECT_EQ(f.isTextMode(), text);
        EXPECT_EQ(f.textModeButton()->isChecked(), text);
        EXPECT_EQ(f.binaryModeButton()->isChecked(), !text);
        EXPECT_EQ(f.fileList()->mask(), text ? "*.txt" : "*.*");
        EXPECT_EQ(f.viewButton()->isVisible(), text);
    }
};

TEST_F(OpenPathTest, OpenedTextFileIsSelectedInItsDirectoryAndShownInTheViewer) {
    MainWindow& f = *window_;
    f.openPath(path("sub/inner.txt"));
    EXPECT_EQ(f.directoryTree()->currentDir(), path("sub"));
    EXPECT_EQ(f.fileList()->currentDir(), path("sub"));
    EXPECT_EQ(listed(), (QStringList{"inner.txt"}));
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));
    EXPECT_EQ(f.fileList()->rowAtLastChange(), 0);
    EXPECT_EQ(viewed(), QStringLiteral("inside\n"));
    expectMode(true);
    // Encrypt acts on it at once, writing into its directory.
    click(f.encryptButton());
    EXPECT_EQ(readAll(path("sub/encrypt.txt")).size(), 7u);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, FileTextModeWouldNotListSwitchesToBinaryMode) {
    MainWindow& f = *window_;
    f.openPath(path("sub/image.png"));
    expectMode(false);
    EXPECT_EQ(f.fileList()->fileName(), path("sub/image.png"));
    EXPECT_EQ(viewed(), QString()) << "Binary Mode loads nothing into the viewer";
    // A text file keeps Binary Mode, which lists it too.
    f.openPath(path("alpha.txt"));
    expectMode(false);
    EXPECT_EQ(f.fileList()->fileName(), path("alpha.txt"));
    EXPECT_EQ(viewed(), QString());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, DirectoryIsEnteredAndRelativePathsCountFromTheCurrentOne) {
    MainWindow& f = *window_;
    f.openPath("sub");
    EXPECT_EQ(f.directoryTree()->currentDir(), path("sub"));
    EXPECT_EQ(f.fileList()->fileName(), "");
    expectMode(true);
    f.openPath("../notes.txt");
    EXPECT_EQ(f.fileList()->fileName(), path("notes.txt"));
    // A file made since the last read of the current directory is found.
    write("late.txt", "late");
    f.openPath("late.txt");
    EXPECT_EQ(f.fileList()->fileName(), path("late.txt"));
    EXPECT_EQ(viewed(), QStringLiteral("late"));
}

TEST_F(OpenPathTest, WhatCannotBeOpenedNamesThePathAndTheReasonAndChangesNothing) {
    MainWindow& f = *window_;
    clickFile("notes.txt");
    write("sub/.hidden.txt", "hidden");
    ASSERT_EQ(::mkfifo(path("sub/pipe.txt").c_str(), 0644), 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {path("missing.txt"), "Cannot open " + path("missing.txt") + ": No such file or directory"},
        {"missing.txt", "Cannot open missing.txt: No such file or directory"},
        {"", "Cannot open : No such file or directory"},
        {path("alpha.txt/x"), "Cannot open " + path("alpha.txt/x") + ": Not a directory"},
        {path("sub/.hidden.txt"),
         "Cannot open " + path("sub/.hidden.txt") + ": Hidden files are not listed"},
        {path("sub/pipe.txt"), "Cannot open " + path("sub/pipe.txt") + ": Not a regular file"},
    };
    const Seen before = now();
    for (const auto& c : cases) {
        try {
            f.openPath(c.path);
            ADD_FAILURE() << c.path << " opened";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_TRUE(now() == before) << c.path;
    }
    EXPECT_EQ(f.fileList()->fileName(), path("notes.txt"));
}

TEST_F(OpenPathTest, DroppedFileOpensAsFromTheCommandLine) {
    MainWindow& f = *window_;
    dropAccepted({fileUrl(path("sub/inner.txt"))});
    EXPECT_EQ(f.directoryTree()->currentDir(), path("sub"));
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));
    EXPECT_EQ(viewed(), QStringLiteral("inside\n"));
    expectMode(true);

    dropAccepted({fileUrl(path("data.bin"))});
    EXPECT_EQ(f.directoryTree()->currentDir(), dir());
    EXPECT_EQ(f.fileList()->fileName(), path("data.bin"));
    expectMode(false);
    EXPECT_EQ(viewed(), QStringLiteral("inside\n"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, DroppedDirectoryIsEntered) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    dropAccepted({fileUrl(path("sub"))});
    EXPECT_EQ(f.directoryTree()->currentDir(), path("sub"));
    EXPECT_EQ(listed(), (QStringList{"inner.txt"}));
    EXPECT_EQ(f.fileList()->fileName(), "");
    expectMode(true);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, WithSeveralDroppedTheFirstCounts) {
    MainWindow& f = *window_;
    dropAccepted({fileUrl(path("notes.txt")), fileUrl(path("alpha.txt")), fileUrl(path("sub"))});
    EXPECT_EQ(f.fileList()->fileName(), path("notes.txt"));
    EXPECT_EQ(viewed(), QStringLiteral("first\nsecond\n"));
    dropAccepted({fileUrl(path("sub")), fileUrl(path("alpha.txt"))});
    EXPECT_EQ(f.directoryTree()->currentDir(), path("sub"));
    EXPECT_EQ(f.fileList()->fileName(), "");
    // The first counts even when a later one is not local.
    dropAccepted({fileUrl(path("sub/inner.txt")), QUrl(QStringLiteral("https://example.org/x"))});
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, DroppedNameThatIsNoUtf8KeepsItsBytes) {
    MainWindow& f = *window_;
    const std::string name = "caf\xe9.txt";
    write(name, "latin-1 name");
    const QByteArray encoded =
        "file://" + QByteArray::fromStdString(path(name)).toPercentEncoding("/");
    dropAccepted({QUrl::fromEncoded(encoded)});
    EXPECT_EQ(f.fileList()->fileName(), path(name));
    EXPECT_EQ(viewed(), QStringLiteral("latin-1 name"));
    EXPECT_TRUE(boxes_.empty());
    // QTemporaryDir cannot remove a name it cannot decode.
    EXPECT_EQ(::unlink(path(name).c_str()), 0);
}

TEST_F(OpenPathTest, WhatIsNotALocalFileIsRefusedAtDragEnter) {
    MainWindow& f = *window_;
    clickFile("notes.txt");
    const Seen before = now();
    const QList<QList<QUrl>> refused = {
        {QUrl(QStringLiteral("https://example.org/notes.txt"))},
        {QUrl(QStringLiteral("sftp://host/home/user/alpha.txt"))},
        {QUrl(QStringLiteral("file://elsewhere.example.org") +
              QString::fromStdString(path("alpha.txt")))},
        {QUrl(QStringLiteral("https://example.org/a")), fileUrl(path("alpha.txt"))},
        {},
    };
    for (const QList<QUrl>& urls : refused) {
        DragFromFileManager drag(urls);
        const QString what = urls.isEmpty() ? QStringLiteral("no URL") : urls[0].toString();
        EXPECT_EQ(drag.enter(&f), std::optional<bool>(false)) << what.toStdString();
        EXPECT_FALSE(drag.drop(&f)) << what.toStdString();
    }
    // Plain text is no file either.
    QMimeData text;
    text.setText(QString::fromStdString(path("alpha.txt")));
    QDragEnterEvent enter(f.rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    enter.accept();
    QCoreApplication::sendEvent(&f, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_TRUE(now() == before);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, TheSourceKeepsItsFileAMoveOnlyDragIsRefused) {
    MainWindow& f = *window_;
    DragFromFileManager moveOnly({fileUrl(path("alpha.txt"))}, Qt::MoveAction);
    EXPECT_EQ(moveOnly.enter(&f), std::optional<bool>(false));
    EXPECT_FALSE(moveOnly.drop(&f));
    EXPECT_EQ(f.fileList()->fileName(), "");

    DragFromFileManager link({fileUrl(path("alpha.txt"))}, Qt::MoveAction | Qt::LinkAction);
    EXPECT_EQ(link.enter(&f), std::optional<bool>(true));
    EXPECT_EQ(link.action(), Qt::LinkAction);
    EXPECT_TRUE(link.drop(&f));
    EXPECT_EQ(link.action(), Qt::LinkAction);
    EXPECT_EQ(f.fileList()->fileName(), path("alpha.txt"));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path("alpha.txt"))));
}

TEST_F(OpenPathTest, DropOfWhatCannotBeOpenedShowsTheErrorBoxFromTheEventLoop) {
    MainWindow& f = *window_;
    clickFile("notes.txt");
    const Seen before = now();
    DragFromFileManager drag({fileUrl(path("gone/notes.txt"))});
    ASSERT_EQ(drag.enter(&f), std::optional<bool>(true));
    ASSERT_TRUE(drag.drop(&f));
    EXPECT_TRUE(boxes_.empty()) << "not while the drop is still being handled";
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[0].text, QString::fromStdString("Cannot open " + path("gone/notes.txt") +
                                                     ": No such file or directory."));
    EXPECT_TRUE(now() == before);
}

TEST_F(OpenPathTest, DropOnTheViewerPageSelectsAndLoadsInTextMode) {
    MainWindow& f = *window_;
    clickFile("alpha.txt");
    click(f.viewButton());
    ASSERT_TRUE(f.viewer()->isVisible());
    dropAccepted({fileUrl(path("sub/inner.txt"))});
    EXPECT_TRUE(f.viewer()->isVisible());
    EXPECT_TRUE(f.okButton()->isVisible());
    EXPECT_FALSE(f.fileList()->isVisible());
    EXPECT_EQ(viewed(), QStringLiteral("inside\n"));
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));
    click(f.okButton());
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));

    // Binary Mode has no viewer page: the browser page comes back.
    click(f.viewButton());
    dropAccepted({fileUrl(path("sub/image.png"))});
    EXPECT_FALSE(f.viewer()->isVisible());
    EXPECT_FALSE(f.okButton()->isVisible());
    EXPECT_TRUE(f.fileList()->isVisible());
    expectMode(false);
    EXPECT_EQ(f.fileList()->fileName(), path("sub/image.png"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPathTest, TheWindowTakesTheDragOverAnyOfItsControls) {
    MainWindow& f = *window_;
    const auto over = [&](QWidget* child) {
        DragFromFileManager drag({fileUrl(path("notes.txt"))});
        EXPECT_EQ(drag.enter(child), std::optional<bool>(true))
            << child->objectName().toStdString();
        // Qt hands the move and the drop to the widget that took the drag.
        EXPECT_TRUE(drag.move(child)) << child->objectName().toStdString();
        EXPECT_TRUE(drag.drop(child)) << child->objectName().toStdString();
        EXPECT_EQ(drag.action(), Qt::CopyAction);
        QCoreApplication::processEvents();
        EXPECT_EQ(f.fileList()->fileName(), path("notes.txt")) << child->objectName().toStdString();
        f.fileList()->setSelectedRow(-1);
    };
    for (QWidget* child : std::vector<QWidget*>{
             f.fileList()->viewport(), f.directoryTree()->viewport(), f.driveSelector(),
             f.encryptButton(), f.textModeButton(), f.backgroundImage(), f.client()})
        over(child);
    click(f.viewButton());
    over(f.viewer()->viewport());
    EXPECT_TRUE(f.viewer()->isVisible());
    EXPECT_TRUE(boxes_.empty());
}

// A progress receiver that, while the job runs, has the file of a drag
// that had entered the window before the job dropped on it, sees a new drag
// enter, and tries to open the file.
class DropDuringJob : public ottomix::NullProgress {
  public:
    DropDuringJob(MainWindow* window, const std::string& path)
        : window_(window), path_(path), drag_({fileUrl(path)}) {}
    // The drag is over the window before the job.
    std::optional<bool> enterBefore() { return drag_.enter(window_); }
    void started(const std::string&, std::int64_t) override {
        running = window_->isJobRunning();
        moved = drag_.move(window_);
        dropped = drag_.drop(window_);
        DragFromFileManager another({fileUrl(path_)});
        entered = another.enter(window_);
        try {
            window_->openPath(path_);
        } catch (const std::runtime_error& e) {
            openError = e.what();
        }
    }
    bool running = false;
    bool moved = true;
    bool dropped = true;
    std::optional<bool> entered;
    std::string openError;

  private:
    MainWindow* window_;
    std::string path_;
    DragFromFileManager drag_;
};

TEST_F(OpenPathTest, DropsAreRefusedWhileAJobRuns) {
    MainWindow& f = *window_;
    DropDuringJob receiver(&f, path("sub/inner.txt"));
    f.setProgressWindow(&receiver);
    EXPECT_FALSE(f.isJobRunning());
    clickFile("alpha.txt");
    ASSERT_EQ(receiver.enterBefore(), std::optional<bool>(true));
    click(f.encryptButton());
    EXPECT_TRUE(receiver.running);
    EXPECT_FALSE(receiver.moved);
    EXPECT_FALSE(receiver.dropped);
    EXPECT_EQ(receiver.entered, std::optional<bool>(false));
    EXPECT_EQ(receiver.openError, "Cannot open " + path("sub/inner.txt") + ": A job is running");
    // The job ran where it started, undisturbed.
    EXPECT_EQ(readAll(path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
    EXPECT_FALSE(f.isJobRunning());
    EXPECT_EQ(f.fileList()->currentDir(), dir());
    EXPECT_EQ(viewed(), QStringLiteral("ABC\n"));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text.toStdString();

    // Afterwards drops are taken again.
    f.setProgressWindow(&progress_);
    dropAccepted({fileUrl(path("sub/inner.txt"))});
    EXPECT_EQ(f.fileList()->fileName(), path("sub/inner.txt"));
}

// A progress receiver whose first call throws, ending the job with an exception.
class ThrowingProgress : public ottomix::NullProgress {
  public:
    void reset() override { throw std::runtime_error("Receiver failed"); }
};

TEST_F(OpenPathTest, AJobThatThrowsLeavesDropsOpen) {
    MainWindow& f = *window_;
    ThrowingProgress receiver;
    f.setProgressWindow(&receiver);
    clickFile("alpha.txt");
    click(f.encryptButton());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, QStringLiteral("Receiver failed."));
    EXPECT_FALSE(f.isJobRunning());
    f.setProgressWindow(&progress_);
    dropAccepted({fileUrl(path("notes.txt"))});
    EXPECT_EQ(f.fileList()->fileName(), path("notes.txt"));
}

// A failure of the user's action: the exception's message with a full stop,
// always, under the title with a stop icon.
TEST(FailureBox, MessageGetsAFullStopAlwaysUnderTheTitleWithAStopIcon) {
    std::vector<Box> boxes;
    ottomix::setMessageHook(
        [&](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            boxes.push_back({icon, caption, text});
        });
    const auto fail = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            ottomix::showFailure(nullptr, ottomix::currentExceptionMessage());
        }
    };
    // A file name that is no UTF-8 reads as the file list shows it.
    for (const char* message :
         {"Disk full", "Already ends in one.", "", "Cannot open file /tmp/caf\xe9.txt"})
        fail(std::runtime_error(message));
    fail(42);
    ottomix::setMessageHook({});

    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Disk full."));
    EXPECT_EQ(boxes[1].text, QStringLiteral("Already ends in one.."));
    EXPECT_EQ(boxes[2].text, QStringLiteral("."));
    EXPECT_EQ(boxes[3].text, QStringLiteral("Cannot open file /tmp/caf\\xe9.txt."));
    EXPECT_EQ(boxes[4].text, QStringLiteral("Unknown exception."));
    for (const Box& b : boxes) {
        EXPECT_EQ(b.caption, QStringLiteral("Ottomix 98"));
        EXPECT_EQ(b.icon, QMessageBox::Critical);
    }
}

// A widget's note takes the same way as every other box: no icon, the
// program's name as caption. Setting a hook hands back the one it replaces.
TEST(MessageHook, NotesComeThroughWithoutIconUnderTheProgramName) {
    std::vector<Box> boxes;
    const ottomix::MessageHook previous = ottomix::setMessageHook(
        [&](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            boxes.push_back({icon, caption, text});
        });
    ottomix::showMessage(QStringLiteral("Could not write to clipboard"));
    EXPECT_TRUE(static_cast<bool>(ottomix::setMessageHook(previous)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("ottomix"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("Could not write to clipboard"));
}

// The real box: a name longer than a line must wrap inside the box rather
// than widen it past the screen and be cut off.
TEST(MessageBox, LongUnbrokenNameWrapsInsideTheBox) {
    const QString text = QStringLiteral("Cannot open file /tmp/rev/") + QString(230, u'L') +
                         QStringLiteral(".txt: No such file or directory.");
    QString shown;
    bool fits = false;
    bool insideScreen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible()) continue;
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            if (label != nullptr) {
                shown = label->text();
                const QRect need = label->fontMetrics().boundingRect(
                    QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, label->text());
                fits = need.width() <= label->width();
                insideScreen = box->screen()->geometry().contains(box->frameGeometry());
            }
            box->done(QMessageBox::Ok);
        }
    });
    ottomix::showMessageBox(nullptr, QMessageBox::Warning, QStringLiteral("Encrypt"), text);
    EXPECT_TRUE(fits);
    EXPECT_TRUE(insideScreen);
    EXPECT_EQ(shown.remove(QChar(0x200B)), text) << "only invisible break points are added";
}

}  // namespace
