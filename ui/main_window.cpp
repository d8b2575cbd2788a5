#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <exception>

#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/browser/deferred_error.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/display_name.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/glyph_button.h"
#include "ui/text_viewer.h"
#include "widgets/window_font.h"

namespace ottomix {

namespace {

// The layout's radio buttons are as wide as their captions in the old 8-point
// font with a 13-pixel indicator and a 4-pixel gap; the platform styles'
// larger gap would cut "Binary Mode" short.
class CompactRadioStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_RadioButtonLabelSpacing) return 4;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The Mode frame: filled with the button face, an etched line, and the title
// on the line near its left end.
class FaceGroupBox : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette& pal = palette();
        const QFontMetrics fm = fontMetrics();
        // Above the line the window's background shows, as around any control.
        const QRect frame = rect().adjusted(0, fm.height() / 2, -1, -1);
        p.fillRect(frame, pal.color(QPalette::Button));
        const QRect caption(8, 0, fm.horizontalAdvance(title()) + 4, fm.height());
        // Etched: a shadow line with a highlight line just inside it, both
        // broken where the caption sits.
        const auto etch = [&](const QRect& r, const QColor& color) {
            p.setPen(color);
            p.drawLine(r.topLeft(), QPoint(caption.left() - 1, r.top()));
            p.drawLine(QPoint(caption.right() + 1, r.top()), r.topRight());
            p.drawLine(r.topRight(), r.bottomRight());
            p.drawLine(r.bottomRight(), r.bottomLeft());
            p.drawLine(r.bottomLeft(), r.topLeft());
        };
        etch(frame.adjusted(0, 0, -1, -1), pal.color(QPalette::Mid));
        etch(frame.adjusted(1, 1, 0, 0), pal.color(QPalette::Light));
        p.setPen(
            pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(caption, Qt::AlignCenter, title());
    }
};

// Enter presses the focused button, as Space does. Qt leaves Enter to a
// dialog's default buttons, and no button of this window is one.
class EnterClicks : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button != nullptr && button->isEnabled() && !key->isAutoRepeat() &&
                (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

QIcon WindowIcon() {
    QIcon icon;
    for (const char* name :
         {":/ottomix/icon.png", ":/ottomix/ottomix-48.png", ":/ottomix/ottomix-128.png"}) {
        const QPixmap pm(QString::fromLatin1(name));
        if (!pm.isNull()) icon.addPixmap(pm);
    }
    return icon;
}

GlyphButton* MakeBitBtn(QWidget* parent, const char* caption, const char* glyph, GlyphLayout layout,
                        int x, int y, int w, int h) {
    auto* button = new GlyphButton(QString::fromLatin1(caption), layout, parent);
    button->setGlyph(QPixmap(QString::fromLatin1(glyph)));
    button->setGeometry(x, y, w, h);
    return button;
}

QString Bytes(std::uint64_t n) {
    return n == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(n);
}

QString BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return displayName(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), progress_(&no_progress_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Ottomix V2.1b - Mirrowen Software"));
    setWindowIcon(WindowIcon());
    // System menu and minimise; no maximise, and the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());

    client_ = new QWidget(this);
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);

    Image1 = new QLabel(client_);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap background(QStringLiteral(":/ottomix/background.png"));
    Image1->setPixmap(background);
    Image1->setGeometry(-8, -32, 508, 352);
    if (!background.isNull()) Image1->resize(background.size());  // sizes itself to the picture
    Image1->lower();

    RichEdit1 = new TextViewer(client_);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(16, 8, 473, 249);
    RichEdit1->hide();

    DirectoryListBox1 = new DirectoryTree(client_);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(40, 24, 201, 129);
    DirectoryListBox1->setItemHeight(16);

    FileListBox1 = new FileList(client_);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(256, 24, 185, 129);
    FileListBox1->setItemHeight(13);
    FileListBox1->setMask("*.txt");

    DriveComboBox1 = new DriveSelector(client_);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(40, 168, 201, 19);

    BitBtn1 = MakeBitBtn(client_, "Exit", ":/ottomix/glyph_exit.png", GlyphLayout::Left, 448, 280,
                         49, 25);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    Encrypt = MakeBitBtn(client_, "Encrypt", ":/ottomix/glyph_encrypt.png", GlyphLayout::Bottom, 32,
                         232, 75, 41);
    Encrypt->setObjectName(QStringLiteral("Encrypt"));
    Decrypt = MakeBitBtn(client_, "Decrypt", ":/ottomix/glyph_decrypt.png", GlyphLayout::Bottom,
                         112, 232, 75, 41);
    Decrypt->setObjectName(QStringLiteral("Decrypt"));

    GroupBox1 = new FaceGroupBox(QStringLiteral("Mode"), client_);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(336, 168, 97, 73);
    RadioButton1 = new QRadioButton(QStringLiteral("Text Mode"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(8, 24, 73, 17);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Binary Mode"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(8, 40, 81, 17);
    auto* radio_style = new CompactRadioStyle;
    radio_style->setParent(this);
    RadioButton1->setStyle(radio_style);
    RadioButton2->setStyle(radio_style);

    BitBtn2 = MakeBitBtn(client_, "View", ":/ottomix/glyph_view.png", GlyphLayout::Bottom, 192, 232,
                         75, 41);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    Button1 = new QPushButton(QStringLiteral("Ok"), client_);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(208, 264, 75, 25);
    Button1->hide();

    // No button of the window is a default button; Enter presses the focused one.
    auto* enter_clicks = new EnterClicks(this);
    for (QPushButton* b :
         {static_cast<QPushButton*>(BitBtn1), static_cast<QPushButton*>(Encrypt),
          static_cast<QPushButton*>(Decrypt), static_cast<QPushButton*>(BitBtn2), Button1}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->installEventFilter(enter_clicks);
    }

    // The browser's links: drive -> tree -> list.
    DirectoryListBox1->setFileList(FileListBox1);
    DriveComboBox1->setDirectoryTree(DirectoryListBox1);

    QWidget::setTabOrder(DirectoryListBox1, FileListBox1);
    QWidget::setTabOrder(FileListBox1, DriveComboBox1);
    QWidget::setTabOrder(DriveComboBox1, BitBtn1);
    QWidget::setTabOrder(BitBtn1, Encrypt);
    QWidget::setTabOrder(Encrypt, Decrypt);
    QWidget::setTabOrder(Decrypt, RadioButton1);
    QWidget::setTabOrder(RadioButton1, RadioButton2);
    QWidget::setTabOrder(RadioButton2, BitBtn2);
    QWidget::setTabOrder(BitBtn2, Button1);
    QWidget::setTabOrder(Button1, RichEdit1);

    // MainMenu1.
    System1 = menuBar()->addMenu(QStringLiteral("System"));
    System1->setFont(font());  // a popup is a window of its own: it does not inherit
    Quit1 = System1->addAction(QStringLiteral("&Quit"));
    Quit1->setObjectName(QStringLiteral("Quit1"));
    About1 = menuBar()->addAction(QStringLiteral("About..."));
    About1->setObjectName(QStringLiteral("About1"));

    // A handler's exception is raised again from the event loop, whose
    // handler shows it, rather than unwound through the toolkit's own code.
    const auto bind = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (...) {
                raiseFromEventLoop(std::current_exception());
            }
        });
    };
    bind(RadioButton1, &QRadioButton::clicked, &TForm1::RadioButton1Click);
    bind(RadioButton2, &QRadioButton::clicked, &TForm1::RadioButton2Click);
    bind(FileListBox1, &FileList::userSelected, &TForm1::FileListBox1Click);
    bind(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
    bind(Encrypt, &QPushButton::clicked, &TForm1::EncryptClick);
    bind(Decrypt, &QPushButton::clicked, &TForm1::DecryptClick);
    bind(BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
    bind(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    bind(Quit1, &QAction::triggered, &TForm1::Quit1Click);
    bind(About1, &QAction::triggered, &TForm1::About1Click);

    // Client area fixed at 500 x 306 under the menu bar: not resizable.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::SetProgressWindow(JobProgress* progress) {
    progress_ = progress != nullptr ? progress : &no_progress_;
}

void TForm1::SetAboutWindow(AboutWindow* about) {
    about_ = about;
}

void TForm1::showEvent(QShowEvent* event) {
    if (!shown_before_) {
        // Centred the first time only; afterwards where the user left it.
        shown_before_ = true;
        if (const QScreen* s = screen()) {
            const QRect area = s->geometry();
            const QSize size = frameGeometry().size();
            move(area.x() + std::max(0, (area.width() - size.width()) / 2),
                 area.y() + std::max(0, (area.height() - size.height()) / 2));
        }
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The close box ends the event loop even when the progress window is
    // still up; start-up then returns status 0.
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) QCoreApplication::quit();
}

void TForm1::FormCreate() {
    text_mode = true;
}

void TForm1::RadioButton1Click() {
    text_mode = true;
    FileListBox1->setMask("*.txt");
    FileListBox1->reread();
    BitBtn2->show();
}

void TForm1::RadioButton2Click() {
    text_mode = false;
    FileListBox1->setMask("*.*");
    FileListBox1->reread();
    BitBtn2->hide();
}

void TForm1::FileListBox1Click() {
    if (text_mode) RichEdit1->loadFromFile(FileListBox1->fileName());
}

void TForm1::ShowViewerPage(bool viewer) {
    Button1->setVisible(viewer);
    RichEdit1->setVisible(viewer);
    for (QWidget* w : {static_cast<QWidget*>(Encrypt), static_cast<QWidget*>(Decrypt),
                       static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(BitBtn1),
                       static_cast<QWidget*>(FileListBox1), static_cast<QWidget*>(DriveComboBox1),
                       static_cast<QWidget*>(DirectoryListBox1), static_cast<QWidget*>(GroupBox1)})
        w->setVisible(!viewer);
}

void TForm1::BitBtn2Click() {
    ShowViewerPage(true);
}

void TForm1::Button1Click() {
    ShowViewerPage(false);
    // The Ok button had the focus; hand it to the button that leads back.
    if (BitBtn2->isVisible()) BitBtn2->setFocus(Qt::OtherFocusReason);
}

void TForm1::EncryptClick() {
    RunJob(Direction::Encrypt);
}

void TForm1::DecryptClick() {
    RunJob(Direction::Decrypt);
}

void TForm1::BitBtn1Click() {
    // At once, with status 1; the exit path writes the pending stream bytes.
    std::exit(1);
}

void TForm1::Quit1Click() {
    std::exit(1);
}

void TForm1::About1Click() {
    if (about_ != nullptr) about_->showModally();
}

void TForm1::RunJob(Direction direction) {
    JobRequest request;
    request.direction = direction;
    request.mode = text_mode ? Mode::Text : Mode::Binary;
    request.input = FileListBox1->fileName();
    const JobResult result = RunCipherJob(request, *progress_, file_size);

    const JobReport report = DescribeJob(request, result, result.lone_cr_dropped);
    const auto tell = [&] {
        if (!report.text.isEmpty())
            ShowMessageBox(this, QMessageBox::Warning, report.caption, report.text);
    };
    // The list is read again first, so the output is listed behind the box.
    try {
        FileListBox1->reread();
    } catch (...) {
        tell();
        throw;
    }
    tell();
}

TForm1::JobReport TForm1::DescribeJob(const JobRequest& request, const JobResult& result,
                                      std::uint64_t lone_cr) {
    const bool encrypt = request.direction == Direction::Encrypt;
    JobReport report;
    report.caption = encrypt ? QStringLiteral("Encrypt") : QStringLiteral("Decrypt");
    if (result.silent()) return report;  // nothing selected: nothing to say
    if (result.status == JobStatus::InputIsOutput) {
        report.text = displayName(result.Describe()) +
                      QStringLiteral(".\n\nSelect another file, or rename this one first.");
        return report;
    }
    if (!result.ok()) {
        report.text = displayName(result.Describe()) + u'.';
        return report;
    }
    if (request.mode != Mode::Text || !encrypt) return report;

    const std::uint64_t dropped = lone_cr + result.bytes_after_mark;
    const bool unsafe = result.unsafe_values > 0 && result.first_unsafe_offset >= 0;
    if (dropped == 0 && !unsafe) return report;

    QString text = QStringLiteral(
                       "%1 has been encrypted to %2, but Text Mode could not keep all "
                       "of it:\n")
                       .arg(BaseName(request.input),
                            QString::fromLatin1(OutputName(request.direction, request.mode)));
    if (dropped > 0) {
        QStringList parts;
        if (lone_cr > 0)
            parts << (lone_cr == 1 ? QStringLiteral("1 lone CR byte")
                                   : QStringLiteral("%1 lone CR bytes").arg(lone_cr));
        if (result.bytes_after_mark > 0)
            parts << QStringLiteral("%1 from the end-of-file mark (Ctrl-Z) on")
                         .arg(Bytes(result.bytes_after_mark));
        text += QStringLiteral("\n- %1 left out by the text rules (%2).")
                    .arg(Bytes(dropped), parts.join(QStringLiteral(", ")));
    }
    if (unsafe) {
        const auto tail = result.bytes - static_cast<std::uint64_t>(result.first_unsafe_offset);
        text += QStringLiteral(
                    "\n- The last %1 will not decrypt back: the encrypted text holds %2 that "
                    "Text Mode cannot store (CR or Ctrl-Z).")
                    .arg(Bytes(tail), result.unsafe_values == 1
                                          ? QStringLiteral("1 value")
                                          : QStringLiteral("%1 values").arg(result.unsafe_values));
    }
    text += QStringLiteral("\n\nBinary Mode keeps every byte of a file.");
    report.text = text;
    return report;
}

}  // namespace ottomix
