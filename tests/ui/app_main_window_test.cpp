// The main window as the user meets it: its start state and layout, the two
// modes, the View page, jobs through the buttons and what they report, and
// the exception box of the event loop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/app_test_util.h"
#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/text_viewer.h"

namespace {

using ottomix::GlyphButton;
using ottomix::TForm1;

struct Box {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        old_cwd_ = cwd;
        // The browser starts in the process's current directory.
        ASSERT_EQ(::chdir(Dir().c_str()), 0);
        Write("alpha.txt", "ABC\n");
        Write("notes.txt", "first\r\nsecond\r\n");
        Write("data.bin", std::string("\x00\x7f\xff", 3));
        ottomix::SetMessageBoxHook(
            [this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
                boxes_.push_back({icon, caption, text});
            });
        form_ = std::make_unique<TForm1>();
        form_->SetProgressWindow(&progress_);
        form_->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        form_.reset();
        ottomix::SetMessageBoxHook({});
        ASSERT_EQ(::chdir(old_cwd_.c_str()), 0);
    }

    std::string Dir() const { return dir_.path().toStdString(); }
    std::string Path(const std::string& name) const { return Dir() + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    QStringList Listed() const {
        QStringList names;
        for (int i = 0; i < form_->FileListBox1->count(); ++i)
            names << form_->FileListBox1->itemText(i);
        return names;
    }
    // A click on the file's row, as the user makes it; then the event loop
    // runs, which is where a handler's exception surfaces.
    void ClickFile(const QString& name) {
        ottomix::FileList* list = form_->FileListBox1;
        const int row = static_cast<int>(Listed().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString() << " is not listed";
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents();
    }
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QString Viewed() const { return form_->RichEdit1->document()->toPlainText(); }

    QTemporaryDir dir_;
    std::string old_cwd_;
    ottomix::ProgressWindow progress_;
    std::unique_ptr<TForm1> form_;
    std::vector<Box> boxes_;
};

TEST_F(MainWindowTest, StartsInTextModeOnTheBrowsePageWithTheLayoutsGeometry) {
    TForm1& f = *form_;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Ottomix V2.1b - Mirrowen Software"));
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_EQ(f.Client()->size(), QSize(500, 306));
    EXPECT_EQ(f.Client()->mapTo(&f, QPoint(0, 0)), QPoint(0, f.menuBar()->height()));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "the window must not be resizable";
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_TRUE(f.text_mode);
    EXPECT_TRUE(f.RadioButton1->isChecked());
    EXPECT_EQ(f.FileListBox1->mask(), "*.txt");
    EXPECT_EQ(Listed(), (QStringList{"alpha.txt", "notes.txt"}));
    EXPECT_EQ(f.FileListBox1->fileName(), "");
    EXPECT_EQ(f.DirectoryListBox1->currentDir(), Dir());

    const struct {
        QWidget* w;
        QRect rect;
        bool visible;
    } layout[] = {
        {f.RichEdit1, {16, 8, 473, 249}, false},
        {f.DirectoryListBox1, {40, 24, 201, 129}, true},
        {f.FileListBox1, {256, 24, 185, 129}, true},
        {f.DriveComboBox1, {40, 168, 201, 19}, true},
        {f.BitBtn1, {448, 280, 49, 25}, true},
        {f.Encrypt, {32, 232, 75, 41}, true},
        {f.Decrypt, {112, 232, 75, 41}, true},
        {f.GroupBox1, {336, 168, 97, 73}, true},
        {f.RadioButton1, {8, 24, 73, 17}, true},
        {f.RadioButton2, {8, 40, 81, 17}, true},
        {f.BitBtn2, {192, 232, 75, 41}, true},
        {f.Button1, {208, 264, 75, 25}, false},
    };
    for (const auto& c : layout) {
        EXPECT_EQ(c.w->geometry(), c.rect) << c.w->objectName().toStdString();
        EXPECT_EQ(c.w->isVisible(), c.visible) << c.w->objectName().toStdString();
    }
    // The background lies under everything, partly outside the client area.
    EXPECT_EQ(f.Image1->pos(), QPoint(-8, -32));
    EXPECT_EQ(f.Client()->children().indexOf(f.Image1), 0);
    EXPECT_FALSE(f.Image1->pixmap().isNull());

    EXPECT_EQ(f.Encrypt->glyphLayout(), ottomix::GlyphLayout::Bottom);
    EXPECT_EQ(f.BitBtn1->glyphLayout(), ottomix::GlyphLayout::Left);
    for (GlyphButton* b : {f.BitBtn1, f.Encrypt, f.Decrypt, f.BitBtn2}) {
        EXPECT_FALSE(b->glyph().isNull()) << b->text().toStdString();
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->text().toStdString();
    }
    EXPECT_EQ(f.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(f.RichEdit1->isReadOnly());
}

TEST_F(MainWindowTest, CentredAtFirstShowingOnlyAndAboutShownModally) {
    TForm1& f = *form_;
    const QRect screen = f.screen()->geometry();
    const QSize frame = f.frameGeometry().size();
    EXPECT_EQ(f.pos(), QPoint(screen.x() + std::max(0, (screen.width() - frame.width()) / 2),
                              screen.y() + std::max(0, (screen.height() - frame.height()) / 2)));
    f.hide();
    f.move(10, 20);
    f.show();
    EXPECT_EQ(f.pos(), QPoint(10, 20));

    ottomix::AboutWindow about;
    f.SetAboutWindow(&about);
    bool was_modal = false;
    QTimer::singleShot(0, &about, [&] {
        was_modal = about.isVisible() && QApplication::activeModalWidget() == &about;
        QTest::mouseClick(about.okButton(), Qt::LeftButton);
    });
    f.About1->trigger();  // returns once the window has closed
    EXPECT_TRUE(was_modal);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, TabOrderAndMenuFollowTheLayout) {
    TForm1& f = *form_;
    const std::vector<QWidget*> order = {
        f.DirectoryListBox1, f.FileListBox1, f.DriveComboBox1, f.BitBtn1, f.Encrypt,  f.Decrypt,
        f.RadioButton1,      f.RadioButton2, f.BitBtn2,        f.Button1, f.RichEdit1};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->focusProxy() != nullptr)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << "after " << order[i]->objectName().toStdString();
    }

    const QList<QAction*> top = f.menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("System"));
    EXPECT_EQ(top[0]->menu(), f.System1);
    EXPECT_EQ(top[1], f.About1);
    EXPECT_EQ(f.About1->text(), QStringLiteral("About..."));
    EXPECT_EQ(f.About1->menu(), nullptr) << "About... is a command, not a menu";
    ASSERT_EQ(f.System1->actions().size(), 1);
    EXPECT_EQ(f.System1->actions()[0], f.Quit1);
    EXPECT_EQ(f.Quit1->text(), QStringLiteral("&Quit"));
    for (QAction* a : {f.Quit1, f.About1}) EXPECT_TRUE(a->shortcut().isEmpty());
}

TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
    TForm1& f = *form_;
    EXPECT_EQ(f.font().pixelSize(), 11);
    for (GlyphButton* b : {f.BitBtn1, f.Encrypt, f.Decrypt, f.BitBtn2}) {
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
    for (QRadioButton* r : {f.RadioButton1, f.RadioButton2}) {
        QStyleOptionButton option;
        option.initFrom(r);
        option.rect = r->rect();
        const QRect label = r->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, r);
        EXPECT_LE(r->fontMetrics().horizontalAdvance(r->text()), label.width())
            << r->text().toStdString();
        EXPECT_LE(r->fontMetrics().height(), r->height()) << r->text().toStdString();
        // The radio buttons sit inside the group's frame.
        EXPECT_LE(r->geometry().right(), f.GroupBox1->contentsRect().right());
    }
    EXPECT_LE(f.GroupBox1->fontMetrics().horizontalAdvance(f.GroupBox1->title()) + 16,
              f.GroupBox1->width());
    EXPECT_LE(f.Button1->fontMetrics().horizontalAdvance(f.Button1->text()) + 8,
              f.Button1->width());
}

TEST_F(MainWindowTest, ModeSwitchChangesMaskListAndViewButton) {
    TForm1& f = *form_;
    ClickFile("notes.txt");
    EXPECT_EQ(Viewed(), QStringLiteral("first\nsecond\n"));

    Click(f.RadioButton2);
    EXPECT_FALSE(f.text_mode);
    EXPECT_EQ(f.FileListBox1->mask(), "*.*");
    EXPECT_EQ(Listed(), (QStringList{"alpha.txt", "data.bin", "notes.txt"}));
    EXPECT_FALSE(f.BitBtn2->isVisible());
    // Binary Mode loads nothing into the viewer.
    ClickFile("alpha.txt");
    EXPECT_EQ(f.FileListBox1->fileName(), Path("alpha.txt"));
    EXPECT_EQ(Viewed(), QStringLiteral("first\nsecond\n"));

    Click(f.RadioButton1);
    EXPECT_TRUE(f.text_mode);
    EXPECT_EQ(f.FileListBox1->mask(), "*.txt");
    EXPECT_EQ(Listed(), (QStringList{"alpha.txt", "notes.txt"}));
    EXPECT_EQ(f.FileListBox1->fileName(), "") << "a mode switch reads the list again";
    EXPECT_TRUE(f.BitBtn2->isVisible());
    EXPECT_EQ(Viewed(), QStringLiteral("first\nsecond\n")) << "the viewer keeps its file";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, ViewAndOkSwapExactlyTheListedControls) {
    TForm1& f = *form_;
    ClickFile("alpha.txt");
    const std::vector<QWidget*> all = {
        f.RichEdit1, f.DirectoryListBox1, f.FileListBox1, f.DriveComboBox1, f.BitBtn1, f.Encrypt,
        f.Decrypt,   f.GroupBox1,         f.BitBtn2,      f.Button1,        f.Image1};
    std::vector<bool> before;
    for (QWidget* w : all) before.push_back(w->isVisible());

    Click(f.BitBtn2);
    for (QWidget* w : all) {
        const bool shown = w == f.RichEdit1 || w == f.Button1 || w == f.Image1;
        EXPECT_EQ(w->isVisible(), shown) << w->objectName().toStdString();
    }
    EXPECT_EQ(Viewed(), QStringLiteral("ABC\n"));
    EXPECT_EQ(f.FileListBox1->fileName(), Path("alpha.txt")) << "hiding keeps the selection";

    Click(f.Button1);
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i]->isVisible(), before[i]) << all[i]->objectName().toStdString();
    EXPECT_EQ(f.FileListBox1->fileName(), Path("alpha.txt"));
}

TEST_F(MainWindowTest, EncryptAndDecryptThroughTheButtonsListTheOutputWithNoSelection) {
    TForm1& f = *form_;
    ClickFile("alpha.txt");
    Click(f.Encrypt);
    // A B C LF minus 2, 3, 2, 3.
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
    EXPECT_DOUBLE_EQ(f.file_size, 5.0);
    EXPECT_TRUE(Listed().contains(QStringLiteral("encrypt.txt")));
    EXPECT_EQ(f.FileListBox1->selectedRow(), -1);
    EXPECT_EQ(f.FileListBox1->fileName(), "");
    EXPECT_TRUE(progress_.isVisible());
    EXPECT_EQ(progress_.captionLabel()->text(), QStringLiteral("File Successfully Encrypted!"));

    ClickFile("encrypt.txt");
    Click(f.Decrypt);
    EXPECT_EQ(ReadAll(Path("dencrypt.txt")), "ABC\r\n");
    EXPECT_EQ(Listed(), (QStringList{"alpha.txt", "dencrypt.txt", "encrypt.txt", "notes.txt"}));
    EXPECT_EQ(f.FileListBox1->fileName(), "");

    Click(f.RadioButton2);
    ClickFile("data.bin");
    Click(f.Encrypt);
    EXPECT_EQ(ReadAll(Path("encrypt.exe")), std::string("\x01\x80\x00", 3));
    ClickFile("encrypt.exe");
    Click(f.Decrypt);
    EXPECT_EQ(ReadAll(Path("decrypt.exe")), std::string("\x00\x7f\xff", 3));
    EXPECT_TRUE(Listed().contains(QStringLiteral("decrypt.exe")));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text.toStdString();
}

TEST_F(MainWindowTest, EnterPressesTheFocusedButton) {
    TForm1& f = *form_;
    ClickFile("alpha.txt");
    f.Encrypt->setFocus();
    QTest::keyClick(f.Encrypt, Qt::Key_Return);
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), std::string("\x3f\x3f\x41\x07", 4));
    Click(progress_.okButton());  // the progress window had come to the front
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    ClickFile("notes.txt");
    f.BitBtn2->setFocus();
    QTest::keyClick(f.BitBtn2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(f.RichEdit1->isVisible());
    ASSERT_TRUE(f.Button1->hasFocus()) << "hiding View hands the focus on to Ok";
    QTest::keyClick(f.Button1, Qt::Key_Return);
    EXPECT_FALSE(f.RichEdit1->isVisible());
    EXPECT_TRUE(f.BitBtn2->hasFocus());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, NothingSelectedStaysSilentAndChangesNothing) {
    TForm1& f = *form_;
    Write("encrypt.txt", "keep me");
    Click(f.RadioButton1);  // reads the list again: nothing selected
    f.file_size = 42.0;
    Click(f.Encrypt);
    Click(f.Decrypt);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), "keep me");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("dencrypt.txt"))));
    EXPECT_DOUBLE_EQ(f.file_size, 42.0);
    EXPECT_EQ(progress_.maximum(), 0) << "the job resets the bar and stops";
}

TEST_F(MainWindowTest, OwnOutputAsInputIsRefusedWithAClearMessage) {
    TForm1& f = *form_;
    Write("encrypt.txt", "previous output");
    Click(f.RadioButton1);
    ClickFile("encrypt.txt");
    Click(f.Encrypt);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Encrypt"));
    EXPECT_TRUE(boxes_[0].text.startsWith(
        QString::fromStdString("Cannot use file " + Path("encrypt.txt") + " as input")))
        << boxes_[0].text.toStdString();
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("own output file")));
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("Select another file")));
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), "previous output");
    EXPECT_EQ(f.FileListBox1->fileName(), "") << "the list is read again after a refusal too";
}

TEST_F(MainWindowTest, JobFailureNamesTheFileAndTheReason) {
    TForm1& f = *form_;
    ClickFile("alpha.txt");
    ASSERT_EQ(::unlink(Path("alpha.txt").c_str()), 0);
    Click(f.Encrypt);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, QString::fromStdString("Cannot open file " + Path("alpha.txt") +
                                                     ": No such file or directory."));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("encrypt.txt"))));
    EXPECT_FALSE(Listed().contains(QStringLiteral("alpha.txt")));
}

TEST_F(MainWindowTest, LossyTextEncryptWarnsWithCountsAndCrLfFilesDoNot) {
    TForm1& f = *form_;
    ClickFile("notes.txt");  // CR LF line ends come back as CR LF: nothing to warn of
    Click(f.Encrypt);
    EXPECT_TRUE(boxes_.empty());

    // Delivered: x y 0x0F z z. 0x0F under key 2 becomes a bare CR in the
    // output (3 bytes from there on are lost to Decrypt); one lone CR and the
    // 5 bytes from Ctrl-Z on are dropped.
    Write("lossy.txt", std::string("x\ry\x0fzz\x1atail", 11));
    Click(f.RadioButton1);
    ClickFile("lossy.txt");
    Click(f.Encrypt);
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
    EXPECT_EQ(ReadAll(Path("encrypt.txt")), std::string("\x76\x76\x0d\x77\x78", 5));
}

TEST_F(MainWindowTest, ViewerFailureReachesTheExceptionBoxAndKeepsTheContent) {
    ClickFile("alpha.txt");
    ClickFile("notes.txt");
    ASSERT_EQ(Viewed(), QStringLiteral("first\nsecond\n"));
    ASSERT_EQ(::unlink(Path("alpha.txt").c_str()), 0);
    ClickFile("alpha.txt");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[0].text,
              QString::fromStdString("Cannot open file " + Path("alpha.txt") + "."));
    EXPECT_EQ(Viewed(), QStringLiteral("first\nsecond\n"));
}

TEST_F(MainWindowTest, ModeSwitchInAVanishedDirectoryShowsTheIoError) {
    TForm1& f = *form_;
    const std::string sub = Path("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    f.DirectoryListBox1->changeDir(sub);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    Click(f.RadioButton2);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[0].text, QStringLiteral("File not found."));
    // The handler was abandoned at the failing read: View is still shown.
    EXPECT_TRUE(f.BitBtn2->isVisible());
}

TEST_F(MainWindowTest, JobInAVanishedDirectoryReportsTheJobThenTheIoError) {
    TForm1& f = *form_;
    const std::string sub = Path("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    f.DirectoryListBox1->changeDir(sub);
    std::ofstream(sub + "/in.txt") << "text";
    Click(f.RadioButton1);
    ClickFile("in.txt");
    ASSERT_EQ(::unlink((sub + "/in.txt").c_str()), 0);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    Click(f.Encrypt);
    // The job's own failure first, then the list's read of the lost directory.
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Encrypt"));
    EXPECT_EQ(boxes_[0].text, QString::fromStdString("Cannot open file " + sub +
                                                     "/in.txt: No such file or directory."));
    EXPECT_EQ(boxes_[1].caption, QStringLiteral("Ottomix 98"));
    EXPECT_EQ(boxes_[1].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[1].text, QStringLiteral("File not found."));
}

// An object whose event handler throws, as a handler of the program would.
class Thrower : public QObject {
  public:
    explicit Thrower(std::string message) : message_(std::move(message)) {}
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error(message_);
        return QObject::event(e);
    }

  private:
    std::string message_;
};

TEST(ExceptionBox, MessageGetsAFullStopAlwaysUnderTheTitleWithAStopIcon) {
    std::vector<Box> boxes;
    ottomix::SetMessageBoxHook(
        [&](QMessageBox::Icon icon, const QString& caption, const QString& text) {
            boxes.push_back({icon, caption, text});
        });
    // A file name that is no UTF-8 reads as the file list shows it.
    for (const char* message :
         {"Disk full", "Already ends in one.", "", "Cannot open file /tmp/caf\xe9.txt"}) {
        Thrower thrower(message);
        QEvent event(QEvent::User);
        EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    }
    // The event loop carries on: a later event is handled normally.
    Thrower quiet("unused");
    QEvent other(QEvent::Type(QEvent::User + 1));
    QCoreApplication::sendEvent(&quiet, &other);
    ottomix::SetMessageBoxHook({});

    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Disk full."));
    EXPECT_EQ(boxes[1].text, QStringLiteral("Already ends in one.."));
    EXPECT_EQ(boxes[2].text, QStringLiteral("."));
    EXPECT_EQ(boxes[3].text, QStringLiteral("Cannot open file /tmp/caf\\xe9.txt."));
    for (const Box& b : boxes) {
        EXPECT_EQ(b.caption, QStringLiteral("Ottomix 98"));
        EXPECT_EQ(b.icon, QMessageBox::Critical);
    }
}

// The real box: a name longer than a line must wrap inside the box rather
// than widen it past the screen and be cut off.
TEST(MessageBox, LongUnbrokenNameWrapsInsideTheBox) {
    const QString text = QStringLiteral("Cannot open file /tmp/rev/") + QString(230, u'L') +
                         QStringLiteral(".txt: No such file or directory.");
    QString shown;
    bool fits = false;
    bool inside_screen = false;
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
                inside_screen = box->screen()->geometry().contains(box->frameGeometry());
            }
            box->done(QMessageBox::Ok);
        }
    });
    ottomix::ShowMessageBox(nullptr, QMessageBox::Warning, QStringLiteral("Encrypt"), text);
    EXPECT_TRUE(fits);
    EXPECT_TRUE(inside_screen);
    EXPECT_EQ(shown.remove(QChar(0x200B)), text) << "only invisible break points are added";
}

}  // namespace
