#include "ui/main_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSysInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/browser/deferred_error.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/display_name.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/browser/file_mask.h"
#include "ui/browser/file_system.h"
#include "ui/glyph_button.h"
#include "ui/job_runner.h"
#include "ui/job_stopper.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/frame_placement.h"
#include "widgets/window_look/light_palette.h"
#include "widgets/window_look/window_font.h"

namespace ottomix {

namespace {

// What Text Mode lists; Binary Mode lists every file.
constexpr char kTextMask[] = "*.txt";

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

QIcon programIcon() {
    QIcon icon;
    for (const char* name :
         {":/ottomix/icon.png", ":/ottomix/ottomix-48.png", ":/ottomix/ottomix-128.png"}) {
        const QPixmap pm(QString::fromLatin1(name));
        if (!pm.isNull()) icon.addPixmap(pm);
    }
    return icon;
}

GlyphButton* makeGlyphButton(QWidget* parent, const char* caption, const char* glyph,
                             GlyphLayout layout, int x, int y, int w, int h) {
    auto* button = new GlyphButton(QString::fromLatin1(caption), layout, parent);
    button->setGlyph(QPixmap(QString::fromLatin1(glyph)));
    button->setGeometry(x, y, w, h);
    return button;
}

QString byteCount(std::uint64_t n) {
    return n == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(n);
}

QString baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return displayName(slash == std::string::npos ? path : path.substr(slash + 1));
}

// True when one of the mask's patterns (separated by ";") matches `name`,
// by the file list's own rules.
bool maskLists(const std::string& mask, const std::string& name) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(mask.find(';', start), mask.size());
        if (end > start && maskMatches(mask.substr(start, end - start), name)) return true;
        if (end == mask.size()) return false;
        start = end + 1;
    }
}

std::runtime_error cannotOpen(const std::string& path, const std::string& reason) {
    return std::runtime_error("Cannot open " + path + ": " + reason);
}

// The local path of the first URL a drag offers: a file:// URL naming this
// machine or none. Empty when there is none.
std::string localPathOf(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    const QUrl& url = urls.first();
    const QString host = url.host();
    if (!host.isEmpty() && host != QLatin1String("localhost") &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return {};
    // The name's exact bytes, also where they are not UTF-8.
    const std::string path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    return !path.empty() && path[0] == '/' ? path : std::string();
}

// A copy when the source offers one, else a link; never a move, which would
// have the source delete its file.
Qt::DropAction harmlessAction(Qt::DropActions possible) {
    if (possible.testFlag(Qt::CopyAction)) return Qt::CopyAction;
    if (possible.testFlag(Qt::LinkAction)) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), progress_(&noProgress_) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Ottomix V2.1b - Mirrowen Software"));
    setWindowIcon(programIcon());
    // System menu and minimise; no maximise, and the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setPalette(lightPalette());

    client_ = new QWidget(this);
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);

    backgroundImage_ = new QLabel(client_);
    backgroundImage_->setObjectName(QStringLiteral("backgroundImage"));
    const QPixmap background(QStringLiteral(":/ottomix/background.png"));
    backgroundImage_->setPixmap(background);
    backgroundImage_->setGeometry(-8, -32, 508, 352);
    if (!background.isNull())
        backgroundImage_->resize(background.size());  // sizes itself to the picture
    backgroundImage_->lower();

    viewer_ = new TextViewer(client_);
    viewer_->setObjectName(QStringLiteral("viewer"));
    viewer_->setGeometry(16, 8, 473, 249);
    viewer_->hide();

    directoryTree_ = new DirectoryTree(client_);
    directoryTree_->setObjectName(QStringLiteral("directoryTree"));
    directoryTree_->setGeometry(40, 24, 201, 129);
    directoryTree_->setItemHeight(16);

    fileList_ = new FileList(client_);
    fileList_->setObjectName(QStringLiteral("fileList"));
    fileList_->setGeometry(256, 24, 185, 129);
    fileList_->setItemHeight(13);
    fileList_->setMask(kTextMask);

    driveSelector_ = new DriveSelector(client_);
    driveSelector_->setObjectName(QStringLiteral("driveSelector"));
    driveSelector_->setGeometry(40, 168, 201, 19);

    exitButton_ = makeGlyphButton(client_, "Exit", ":/ottomix/glyph_exit.png", GlyphLayout::Left,
                                  448, 280, 49, 25);
    exitButton_->setObjectName(QStringLiteral("exitButton"));
    encryptButton_ = makeGlyphButton(client_, "Encrypt", ":/ottomix/glyph_encrypt.png",
                                     GlyphLayout::Bottom, 32, 232, 75, 41);
    encryptButton_->setObjectName(QStringLiteral("encryptButton"));
    decryptButton_ = makeGlyphButton(client_, "Decrypt", ":/ottomix/glyph_decrypt.png",
                                     GlyphLayout::Bottom, 112, 232, 75, 41);
    decryptButton_->setObjectName(QStringLiteral("decryptButton"));

    modeGroup_ = new FaceGroupBox(QStringLiteral("Mode"), client_);
    modeGroup_->setObjectName(QStringLiteral("modeGroup"));
    modeGroup_->setGeometry(336, 168, 97, 73);
    textModeButton_ = new QRadioButton(QStringLiteral("Text Mode"), modeGroup_);
    textModeButton_->setObjectName(QStringLiteral("textModeButton"));
    textModeButton_->setGeometry(8, 24, 73, 17);
    textModeButton_->setChecked(true);
    binaryModeButton_ = new QRadioButton(QStringLiteral("Binary Mode"), modeGroup_);
    binaryModeButton_->setObjectName(QStringLiteral("binaryModeButton"));
    binaryModeButton_->setGeometry(8, 40, 81, 17);
    auto* radioStyle = new CompactRadioStyle;
    radioStyle->setParent(this);
    textModeButton_->setStyle(radioStyle);
    binaryModeButton_->setStyle(radioStyle);

    viewButton_ = makeGlyphButton(client_, "View", ":/ottomix/glyph_view.png", GlyphLayout::Bottom,
                                  192, 232, 75, 41);
    viewButton_->setObjectName(QStringLiteral("viewButton"));

    // Controls that show no name of their own are named for assistive
    // technology; the others are known by their captions.
    viewer_->setAccessibleName(QStringLiteral("Viewer"));
    directoryTree_->setAccessibleName(QStringLiteral("Folders"));
    fileList_->setAccessibleName(QStringLiteral("Files"));
    driveSelector_->setAccessibleName(QStringLiteral("Drive"));
    // Qt on Linux names a combo box by its choice: the description says what it is.
    driveSelector_->setAccessibleDescription(QStringLiteral("The drive whose folders are listed"));
    driveSelector_->view()->setAccessibleName(QStringLiteral("Drives"));

    okButton_ = new QPushButton(QStringLiteral("Ok"), client_);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(208, 264, 75, 25);
    okButton_->hide();

    // No button of the window is a default button; Enter presses the focused one.
    auto* enterClicks = new EnterClicks(this);
    for (QPushButton* b :
         {static_cast<QPushButton*>(exitButton_), static_cast<QPushButton*>(encryptButton_),
          static_cast<QPushButton*>(decryptButton_), static_cast<QPushButton*>(viewButton_),
          okButton_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->installEventFilter(enterClicks);
    }

    // The browser's links: drive -> tree -> list.
    directoryTree_->setFileList(fileList_);
    driveSelector_->setDirectoryTree(directoryTree_);

    QWidget::setTabOrder(directoryTree_, fileList_);
    QWidget::setTabOrder(fileList_, driveSelector_);
    QWidget::setTabOrder(driveSelector_, exitButton_);
    QWidget::setTabOrder(exitButton_, encryptButton_);
    QWidget::setTabOrder(encryptButton_, decryptButton_);
    QWidget::setTabOrder(decryptButton_, textModeButton_);
    QWidget::setTabOrder(textModeButton_, binaryModeButton_);
    QWidget::setTabOrder(binaryModeButton_, viewButton_);
    QWidget::setTabOrder(viewButton_, okButton_);
    QWidget::setTabOrder(okButton_, viewer_);

    // The menu bar: the System menu, and About... as a command of its own.
    systemMenu_ = menuBar()->addMenu(QStringLiteral("System"));
    // A popup is a window of its own: it does not inherit font or palette.
    systemMenu_->setFont(font());
    systemMenu_->setPalette(palette());
    systemMenu_->setObjectName(QStringLiteral("systemMenu"));
    systemMenu_->setAccessibleName(systemMenu_->title());
    quitAction_ = systemMenu_->addAction(QStringLiteral("&Quit"));
    quitAction_->setObjectName(QStringLiteral("quitAction"));
    aboutAction_ = menuBar()->addAction(QStringLiteral("About..."));
    aboutAction_->setObjectName(QStringLiteral("aboutAction"));

    // A handler's exception is raised again from the event loop, whose
    // handler shows it, rather than unwound through the toolkit's own code.
    const auto bind = [this](auto* sender, auto signal, void (MainWindow::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { runUserAction([this, handler] { (this->*handler)(); }); });
    };
    bind(textModeButton_, &QRadioButton::clicked, &MainWindow::selectTextMode);
    bind(binaryModeButton_, &QRadioButton::clicked, &MainWindow::selectBinaryMode);
    bind(fileList_, &FileList::userSelected, &MainWindow::loadSelectedFileIntoViewer);
    bind(exitButton_, &QPushButton::clicked, &MainWindow::exitProgram);
    bind(encryptButton_, &QPushButton::clicked, &MainWindow::encryptSelectedFile);
    bind(decryptButton_, &QPushButton::clicked, &MainWindow::decryptSelectedFile);
    bind(viewButton_, &QPushButton::clicked, &MainWindow::showViewer);
    bind(okButton_, &QPushButton::clicked, &MainWindow::showBrowser);
    bind(quitAction_, &QAction::triggered, &MainWindow::quit);
    bind(aboutAction_, &QAction::triggered, &MainWindow::showAbout);
    setAcceptDrops(true);  // files dropped from a file manager: see dropEvent()

    runner_ = new JobRunner(this);
    connect(runner_, &JobRunner::finished, this, [this](const JobResult& result, double size) {
        runUserAction([&] { jobFinished(result, size); });
    });
    // Only while a job runs, so Escape keeps its usual meaning otherwise.
    cancelShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelShortcut_->setContext(Qt::WindowShortcut);
    cancelShortcut_->setEnabled(false);
    connect(cancelShortcut_, &QShortcut::activated, this, &MainWindow::cancelJob);

    // Client area fixed at 500 x 306 under the menu bar: not resizable.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    giveFixedFrame(this);
}

MainWindow::~MainWindow() {
    // The other windows may be gone already: the job's end is not reported.
    if (stopper_ != nullptr) stopper_->cancel();
    runner_->wait();
}

void MainWindow::setProgressWindow(JobProgress* progress) {
    if (progressWindow_ != nullptr) disconnect(progressWindow_, nullptr, this, nullptr);
    progress_ = progress != nullptr ? progress : &noProgress_;
    progressWindow_ = dynamic_cast<ProgressWindow*>(progress);
    if (progressWindow_ != nullptr) {
        connect(progressWindow_, &ProgressWindow::cancelRequested, this, &MainWindow::cancelJob);
    }
}

void MainWindow::setAboutWindow(AboutWindow* about) {
    about_ = about;
}

void MainWindow::showEvent(QShowEvent* event) {
    if (!shownBefore_) {
        // Centred the first time only; afterwards where the user left it.
        shownBefore_ = true;
        centreFrameOnScreen(this);
    }
    QMainWindow::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box ends the event loop even when the progress window is
    // still up; start-up then returns status 0. A running job stops first,
    // so no half-written output is left.
    stopJobAndWait();
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) QCoreApplication::quit();
}

void MainWindow::selectTextMode() {
    textMode_ = true;
    fileList_->setMask(kTextMask);
    fileList_->reread();
    viewButton_->show();
}

void MainWindow::selectBinaryMode() {
    textMode_ = false;
    fileList_->setMask("*.*");
    fileList_->reread();
    viewButton_->hide();
}

void MainWindow::loadSelectedFileIntoViewer() {
    if (textMode_) viewer_->loadFromFile(fileList_->fileName());
}

void MainWindow::showViewerPage(bool viewer) {
    okButton_->setVisible(viewer);
    viewer_->setVisible(viewer);
    for (QWidget* w : {static_cast<QWidget*>(encryptButton_), static_cast<QWidget*>(decryptButton_),
                       static_cast<QWidget*>(viewButton_), static_cast<QWidget*>(exitButton_),
                       static_cast<QWidget*>(fileList_), static_cast<QWidget*>(driveSelector_),
                       static_cast<QWidget*>(directoryTree_), static_cast<QWidget*>(modeGroup_)})
        w->setVisible(!viewer);
}

void MainWindow::showViewer() {
    showViewerPage(true);
}

void MainWindow::showBrowser() {
    showViewerPage(false);
    // The Ok button had the focus; hand it to the button that leads back.
    if (viewButton_->isVisible()) viewButton_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::encryptSelectedFile() {
    runJob(Direction::Encrypt);
}

void MainWindow::decryptSelectedFile() {
    runJob(Direction::Decrypt);
}

void MainWindow::exitProgram() {
    // At once, with status 1; the exit path writes the pending stream bytes.
    stopJobAndWait();
    std::exit(1);
}

void MainWindow::cancelJob() {
    if (stopper_ != nullptr) stopper_->cancel();
}

void MainWindow::stopJobAndWait() {
    if (!runner_->isRunning()) return;
    cancelJob();
    runner_->wait();
    // Its end is reported now, so the progress window no longer counts it
    // as running and lets the program close.
    QCoreApplication::sendPostedEvents(runner_, QEvent::MetaCall);
}

void MainWindow::quit() {
    exitProgram();
}

void MainWindow::showAbout() {
    if (about_ != nullptr) about_->showModally();
}

void MainWindow::runJob(Direction direction) {
    if (isJobRunning()) {
        QApplication::beep();  // one job at a time
        return;
    }
    JobRequest request;
    request.direction = direction;
    request.mode = textMode_ ? Mode::Text : Mode::Binary;
    request.input = fileList_->fileName();
    request.directory = FileSystem::instance().currentDirectory();
    // Cancel and the three ending signals stop the job.
    stopper_ = std::make_unique<JobStopper>();
    request.stop = stopper_->flag();
    runningJob_ = request;
    lockWhileJobRuns(true);
    runner_->start(request, progress_, fileSize_);
}

void MainWindow::jobFinished(const JobResult& result, double fileSize) {
    fileSize_ = fileSize;
    // Also a signal that came once the output was complete ends the program.
    const int stoppedBy = stopper_->flag()->load();
    stopper_.reset();
    if (progressWindow_ != nullptr) progressWindow_->jobEnded();
    JobStopper::endIfSignalled(stoppedBy);
    lockWhileJobRuns(false);

    const JobReport report = describeJob(runningJob_, result, result.loneCrDropped);
    const auto tell = [&] {
        if (!report.text.isEmpty())
            showMessageBox(this, QMessageBox::Warning, report.caption, report.text);
    };
    // The list is read again first, so the output is listed behind the box.
    try {
        fileList_->reread();
    } catch (...) {
        tell();
        throw;
    }
    tell();
}

void MainWindow::lockWhileJobRuns(bool locked) {
    if (locked) focusBeforeJob_ = QApplication::focusWidget();
    for (QWidget* w : {static_cast<QWidget*>(modeGroup_), static_cast<QWidget*>(directoryTree_),
                       static_cast<QWidget*>(fileList_), static_cast<QWidget*>(driveSelector_)})
        w->setEnabled(!locked);
    cancelShortcut_->setEnabled(locked);
    if (locked) {
        setCursor(Qt::BusyCursor);  // busy, but still taking input
        return;
    }
    unsetCursor();
    if (focusBeforeJob_ != nullptr && focusBeforeJob_->window() == this &&
        focusBeforeJob_->isEnabled() && focusBeforeJob_->isVisible())
        focusBeforeJob_->setFocus(Qt::OtherFocusReason);
    focusBeforeJob_ = nullptr;
}

void MainWindow::openPath(const std::string& path) {
    // The list and the process's directory must stay as the job found them.
    if (isJobRunning()) throw cannotOpen(path, "A job is running");
    if (path.empty()) throw cannotOpen(path, std::strerror(ENOENT));
    std::string full = path;
    if (full[0] != '/') {
        const std::string here = FileSystem::instance().currentDirectory();
        if (here.empty()) throw cannotOpen(path, std::strerror(ENOENT));
        full = joinPath(here, full);
    }
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) throw cannotOpen(path, std::strerror(errno));

    if (S_ISDIR(st.st_mode)) {
        if (::access(full.c_str(), X_OK) != 0) throw cannotOpen(path, std::strerror(errno));
        directoryTree_->changeDir(full);
        fileList_->reread();  // also when it was the current directory: it may have changed
        return;
    }

    const std::size_t slash = full.rfind('/');
    const std::string dir = slash == 0 ? std::string("/") : full.substr(0, slash);
    const std::string name = full.substr(slash + 1);
    // What the list leaves out in every mode.
    if (!S_ISREG(st.st_mode)) throw cannotOpen(path, "Not a regular file");
    if (name[0] == '.') throw cannotOpen(path, "Hidden files are not listed");

    directoryTree_->changeDir(dir);
    if (textMode_ && !maskLists(kTextMask, name)) {
        if (!viewer_->isHidden()) showBrowser();
        binaryModeButton_->setChecked(true);
        selectBinaryMode();
    } else {
        fileList_->reread();
    }
    int row = -1;
    for (int i = 0; i < fileList_->count() && row < 0; ++i)
        if (fileList_->itemName(i) == name) row = i;
    if (row < 0) throw cannotOpen(path, std::strerror(ENOENT));
    fileList_->setSelectedRow(row);
    fileList_->notifyChange();
    loadSelectedFileIntoViewer();
}

std::optional<std::string> MainWindow::acceptDrop(QDropEvent* event) const {
    const Qt::DropAction action = harmlessAction(event->possibleActions());
    std::string path = localPathOf(event->mimeData());
    if (isJobRunning() || action == Qt::IgnoreAction || path.empty()) {
        event->ignore();
        return std::nullopt;
    }
    event->setDropAction(action);
    event->accept();
    return path;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptDrop(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptDrop(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<std::string> path = acceptDrop(event);
    // A failure is shown from the event loop: the drag's source waits for
    // the drop to end and must not wait on a message box.
    if (path) runUserAction([this, &path] { openPath(*path); });
}

MainWindow::JobReport MainWindow::describeJob(const JobRequest& request, const JobResult& result,
                                              std::uint64_t loneCr) {
    const bool encrypt = request.direction == Direction::Encrypt;
    JobReport report;
    report.caption = encrypt ? QStringLiteral("Encrypt") : QStringLiteral("Decrypt");
    // Nothing selected, or cancelled (the progress window says so): nothing to say.
    if (result.silent() || result.status == JobStatus::Stopped) return report;
    if (result.status == JobStatus::InputIsOutput) {
        report.text = displayName(result.describe()) +
                      QStringLiteral(".\n\nSelect another file, or rename this one first.");
        return report;
    }
    if (!result.ok()) {
        report.text = displayName(result.describe()) + u'.';
        return report;
    }
    if (request.mode != Mode::Text || !encrypt) return report;

    const std::uint64_t dropped = loneCr + result.bytesAfterMark;
    const bool unsafe = result.unsafeValues > 0 && result.firstUnsafeOffset >= 0;
    if (dropped == 0 && !unsafe) return report;

    QString text = QStringLiteral(
                       "%1 has been encrypted to %2, but Text Mode could not keep all "
                       "of it:\n")
                       .arg(baseName(request.input),
                            QString::fromLatin1(outputName(request.direction, request.mode)));
    if (dropped > 0) {
        QStringList parts;
        if (loneCr > 0)
            parts << (loneCr == 1 ? QStringLiteral("1 lone CR byte")
                                   : QStringLiteral("%1 lone CR bytes").arg(loneCr));
        if (result.bytesAfterMark > 0)
            parts << QStringLiteral("%1 from the end-of-file mark (Ctrl-Z) on")
                         .arg(byteCount(result.bytesAfterMark));
        text += QStringLiteral("\n- %1 left out by the text rules (%2).")
                    .arg(byteCount(dropped), parts.join(QStringLiteral(", ")));
    }
    if (unsafe) {
        const auto tail = result.bytes - static_cast<std::uint64_t>(result.firstUnsafeOffset);
        text +=
            QStringLiteral(
                "\n- The last %1 will not decrypt back: the encrypted text holds %2 that "
                "Text Mode cannot store (CR or Ctrl-Z).")
                .arg(byteCount(tail), result.unsafeValues == 1
                                          ? QStringLiteral("1 value")
                                          : QStringLiteral("%1 values").arg(result.unsafeValues));
    }
    text += QStringLiteral("\n\nBinary Mode keeps every byte of a file.");
    report.text = text;
    return report;
}

}  // namespace ottomix
