#include "ui/main_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
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
#include <QMetaObject>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/job_stopper.h"
#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/browser/browser_wiring.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/display_name.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "ui/browser/file_mask.h"
#include "ui/browser/file_system.h"
#include "ui/dropped_path.h"
#include "ui/glyph_button.h"
#include "ui/job_report.h"
#include "ui/job_runner.h"
#include "ui/message_text.h"
#include "ui/path_to_open.h"
#include "ui/progress_window.h"
#include "ui/viewer/text_viewer.h"
#include "widgets/window_look/artwork.h"
#include "widgets/window_look/enter_presses_button.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/frame_placement.h"
#include "widgets/window_look/light_palette.h"
#include "widgets/window_look/user_message.h"
#include "widgets/window_look/window_font.h"

namespace ottomix {

namespace {

// What Text Mode lists; Binary Mode lists every file.
constexpr char kTextMask[] = "*.txt";

// The layout's radio buttons are as wide as their captions in an 8-point
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

QIcon programIcon() {
    QIcon icon;
    for (const char* name : {":/ottomix/icon.png", ":/ottomix/ottomix-48.png",
                             ":/ottomix/ottomix-64.png", ":/ottomix/ottomix-128.png"}) {
        const QPixmap pm(QString::fromLatin1(name));
        if (!pm.isNull()) icon.addPixmap(pm);
    }
    return icon;
}

// Hands a job's notifications to the progress receiver. They arrive from the
// event loop, so a failure of the receiver is shown here and the job goes on.
class ShowingFailuresProgress : public JobProgress {
  public:
    ShowingFailuresProgress(QWidget* window, JobProgress* receiver)
        : window_(window), receiver_(receiver) {}
    void reset() override {
        pass([this] { receiver_->reset(); });
    }
    void started(const std::string& caption, std::int64_t total) override {
        pass([&] { receiver_->started(shown(caption), total); });
    }
    void progressed(std::uint64_t done) override {
        pass([&] { receiver_->progressed(done); });
    }
    void finished() override {
        pass([this] { receiver_->finished(); });
    }
    void failed(const std::string& caption, const std::string& message) override {
        pass([&] { receiver_->failed(shown(caption), shown(message)); });
    }
    void cancelled(const std::string& caption) override {
        pass([&] { receiver_->cancelled(shown(caption)); });
    }

  private:
    // The core's English, translated; the receiver takes UTF-8.
    static std::string shown(const std::string& english) { return coreText(english).toStdString(); }

    template <typename Call>
    void pass(Call call) {
        try {
            call();
        } catch (...) {
            showFailure(window_, currentExceptionMessage());
        }
    }

    QWidget* window_;
    JobProgress* receiver_;
};

GlyphButton* makeGlyphButton(QWidget* parent, const QString& caption, const char* glyph,
                             GlyphLayout layout, int x, int y, int w, int h) {
    auto* button = new GlyphButton(caption, layout, parent);
    button->setGlyph(QPixmap(QString::fromLatin1(glyph)));
    button->setGeometry(x, y, w, h);
    return button;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), progress_(&noProgress_) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(tr("Ottomix V2.1b - Mirrowen Software"));
    setWindowIcon(programIcon());
    // System menu and minimise; no maximise, and the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    useLightPalette(this);

    client_ = new QWidget(this);
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);

    backgroundImage_ = new QLabel(client_);
    backgroundImage_->setObjectName(QStringLiteral("backgroundImage"));
    backgroundImage_->setAccessibleName(tr("Ottomix background picture"));
    const QPixmap background = artworkPixmap(QStringLiteral(":/ottomix/background.png"), this);
    backgroundImage_->setPixmap(background);
    backgroundImage_->setGeometry(-8, -32, 508, 352);
    if (!background.isNull())
        backgroundImage_->resize(
            background.deviceIndependentSize().toSize());  // sizes itself to the picture
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

    exitButton_ = makeGlyphButton(client_, tr("Exit"), ":/ottomix/glyph_exit.png",
                                  GlyphLayout::Left, 448, 280, 49, 25);
    exitButton_->setObjectName(QStringLiteral("exitButton"));
    encryptButton_ = makeGlyphButton(client_, tr("Encrypt"), ":/ottomix/glyph_encrypt.png",
                                     GlyphLayout::Bottom, 32, 232, 75, 41);
    encryptButton_->setObjectName(QStringLiteral("encryptButton"));
    decryptButton_ = makeGlyphButton(client_, tr("Decrypt"), ":/ottomix/glyph_decrypt.png",
                                     GlyphLayout::Bottom, 112, 232, 75, 41);
    decryptButton_->setObjectName(QStringLiteral("decryptButton"));

    modeGroup_ = new FaceGroupBox(tr("Mode"), client_);
    modeGroup_->setObjectName(QStringLiteral("modeGroup"));
    modeGroup_->setGeometry(336, 168, 97, 73);
    textModeButton_ = new QRadioButton(tr("Text Mode"), modeGroup_);
    textModeButton_->setObjectName(QStringLiteral("textModeButton"));
    textModeButton_->setGeometry(8, 24, 73, 17);
    textModeButton_->setChecked(true);
    binaryModeButton_ = new QRadioButton(tr("Binary Mode"), modeGroup_);
    binaryModeButton_->setObjectName(QStringLiteral("binaryModeButton"));
    binaryModeButton_->setGeometry(8, 40, 81, 17);
    auto* radioStyle = new CompactRadioStyle;
    radioStyle->setParent(this);
    textModeButton_->setStyle(radioStyle);
    binaryModeButton_->setStyle(radioStyle);

    viewButton_ = makeGlyphButton(client_, tr("View"), ":/ottomix/glyph_view.png",
                                  GlyphLayout::Bottom, 192, 232, 75, 41);
    viewButton_->setObjectName(QStringLiteral("viewButton"));

    // Controls that show no name of their own are named for assistive
    // technology; the others are known by their captions.
    viewer_->setAccessibleName(tr("Viewer"));
    directoryTree_->setAccessibleName(tr("Folders"));
    fileList_->setAccessibleName(tr("Files"));
    driveSelector_->setAccessibleName(tr("Drive"));
    // Qt on Linux names a combo box by its choice: the description says what it is.
    driveSelector_->setAccessibleDescription(tr("The drive whose folders are listed"));
    driveSelector_->view()->setAccessibleName(tr("Drives"));

    okButton_ = new QPushButton(tr("Ok"), client_);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(208, 264, 75, 25);
    okButton_->hide();

    // No button of the window is a default button; Enter presses the focused one.
    for (QPushButton* b :
         {static_cast<QPushButton*>(exitButton_), static_cast<QPushButton*>(encryptButton_),
          static_cast<QPushButton*>(decryptButton_), static_cast<QPushButton*>(viewButton_),
          okButton_})
        makeEnterPressButton(b);

    connectBrowser(driveSelector_, directoryTree_, fileList_);

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
    systemMenu_ = menuBar()->addMenu(tr("System"));
    // A popup is a window of its own: it does not inherit font or palette.
    systemMenu_->setFont(font());
    systemMenu_->setPalette(palette());
    systemMenu_->setObjectName(QStringLiteral("systemMenu"));
    systemMenu_->setAccessibleName(systemMenu_->title());
    quitAction_ = systemMenu_->addAction(tr("&Quit"));
    quitAction_->setObjectName(QStringLiteral("quitAction"));
    aboutAction_ = menuBar()->addAction(tr("About..."));
    aboutAction_->setObjectName(QStringLiteral("aboutAction"));

    // A handler's failure is shown before control goes back to the toolkit,
    // whose code does not expect exceptions.
    const auto run = [this](void (MainWindow::*handler)()) {
        try {
            (this->*handler)();
        } catch (...) {
            showFailure(this, currentExceptionMessage());
        }
    };
    const auto bind = [this, run](auto* sender, auto signal, void (MainWindow::*handler)()) {
        connect(sender, signal, this, [run, handler] { run(handler); });
    };
    // The mode switches when a mode button becomes checked, however that
    // happens: mouse, keys, setChecked() or assistive technology's Toggle
    // action, which checks it without a click. A click on the button already
    // checked switches nothing but still reads the list again.
    for (QRadioButton* button : {textModeButton_, binaryModeButton_}) {
        const auto select =
            button == textModeButton_ ? &MainWindow::selectTextMode : &MainWindow::selectBinaryMode;
        connect(button, &QAbstractButton::pressed, this, [this] { modeToggledInClick_ = false; });
        connect(button, &QAbstractButton::toggled, this, [this, run, select](bool checked) {
            if (!checked) return;
            modeToggledInClick_ = true;
            run(select);
        });
        connect(button, &QAbstractButton::clicked, this, [this, run, select] {
            if (!std::exchange(modeToggledInClick_, false)) run(select);
        });
    }
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
        try {
            jobFinished(result, size);
        } catch (...) {
            showFailure(this, currentExceptionMessage());
        }
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
    jobProgress_ = std::make_unique<ShowingFailuresProgress>(this, progress_);
    runner_->start(request, jobProgress_.get(), progressTotal_);
}

void MainWindow::jobFinished(const JobResult& result, std::int64_t progressTotal) {
    progressTotal_ = progressTotal;
    // Also a signal that came once the output was complete ends the program.
    const int stoppedBy = stopper_->flag()->load();
    stopper_.reset();
    if (progressWindow_ != nullptr) progressWindow_->jobEnded();
    JobStopper::endIfSignalled(stoppedBy);
    lockWhileJobRuns(false);

    const JobReport report = describeJob(runningJob_, result);
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
    if (isJobRunning())
        throw std::runtime_error(fillIn(tr("Cannot open %1: A job is running"), {path}));
    const PathToOpen target = resolvePathToOpen(path, FileSystem::instance().currentDirectory());
    if (!target.ok()) throw std::runtime_error(target.error);
    directoryTree_->changeDir(target.directory);
    if (target.fileName.empty()) {
        fileList_->reread();  // also when it was the current directory: it may have changed
        return;
    }
    if (textMode_ && !maskListsName(kTextMask, target.fileName)) {
        if (!viewer_->isHidden()) showBrowser();
        {
            // Switched here rather than by the button's signal, so that the
            // list's errors pass through to the caller.
            const QSignalBlocker quiet(binaryModeButton_);
            binaryModeButton_->setChecked(true);
        }
        selectBinaryMode();
    } else {
        fileList_->reread();
    }
    int row = -1;
    for (int i = 0; i < fileList_->count() && row < 0; ++i)
        if (fileList_->itemName(i) == target.fileName) row = i;
    if (row < 0)
        throw std::runtime_error(
            fillIn(tr("Cannot open %1: %2"), {path, systemErrorText(ENOENT).toStdString()}));
    fileList_->setSelectedRow(row);
    fileList_->notifyChange();
    loadSelectedFileIntoViewer();
}

std::optional<std::string> MainWindow::acceptDrop(QDropEvent* event) const {
    const Qt::DropAction action = harmlessDropAction(event->possibleActions());
    std::string path = droppedLocalPath(event->mimeData());
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
    if (!path) return;
    try {
        openPath(*path);
    } catch (...) {
        // Shown once the drop has ended: the drag's source waits for it and
        // must not wait on a message box.
        QMetaObject::invokeMethod(
            this, [this, message = currentExceptionMessage()] { showFailure(this, message); },
            Qt::QueuedConnection);
    }
}

}  // namespace ottomix
