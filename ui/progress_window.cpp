#include "ui/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionProgressBar>
#include <QTextDocument>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <limits>

#include "widgets/fixed_frame.h"
#include "widgets/frame_placement.h"
#include "widgets/light_palette.h"
#include "widgets/window_font.h"

namespace ottomix {

// A progress bar that counts its paintings, so the cost of a job's display
// can be checked, and tells how many pixels its fill can take.
class CountingProgressBar : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

    int paintCount() const { return paints_; }

    int fillWidth() const {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        const QRect fill = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
        return std::max(1, fill.width());
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints_;
        QProgressBar::paintEvent(event);
    }

  private:
    int paints_ = 0;
};

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

// Tooltips take markup as rich text; a failure names the user's files, which
// are plain text whatever they contain.
QString plainTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

constexpr unsigned kPollsPerClockCheck = 16;
constexpr qint64 kEventInterval = 30;  // milliseconds

// While a job runs, input reaches the progress window only: the main and
// About windows ignore it, as they would if the job held the event loop.
class JobInputFilter : public QObject {
  public:
    explicit JobInputFilter(QWidget* window) : window_(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~JobInputFilter() override { QCoreApplication::instance()->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isInput(event->type()) || belongsToWindow(watched)) return false;
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }

  private:
    static bool isInput(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }
    bool belongsToWindow(QObject* watched) const {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return widget == window_ || window_->isAncestorOf(widget);
        if (auto* window = qobject_cast<QWindow*>(watched))
            return window == window_->windowHandle();
        return false;
    }

    QWidget* window_;
};

}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      status_(QStringLiteral("Processing")) {
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(QStringLiteral("Working..."));
    setFont(windowFont());
    setPalette(lightPalette());
    // The client area of the 376 x 159 window with a classic frame and title.
    resize(368, 132);
    giveFixedFrame(this);
    placeFrameAt(this, QPoint(227, 193));

    captionLabel_ = makeLabel(this, "captionLabel", QString(), 16, 16);
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(27);
    captionLabel_->setFont(big);
    captionLabel_->resize(145, 32);
    statusCaption_ = makeLabel(this, "statusCaption", QStringLiteral("Status:"), 16, 112);
    statusLabel_ = makeLabel(this, "statusLabel", status_, 56, 112);

    progressBar_ = new CountingProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setAccessibleName(QStringLiteral("Progress"));
    progressBar_->setGeometry(72, 64, 209, 25);
    progressBar_->setTextVisible(false);
    progressBar_->setFocusPolicy(Qt::NoFocus);
    // The chunked bar of the classic desktop; the style goes with the bar.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(progressBar_);
        progressBar_->setStyle(classic);
    }
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(280, 104, 75, 25);
    okButton_->setAutoDefault(false);
    okButton_->setDefault(false);
    okButton_->hide();
    connect(okButton_, &QPushButton::clicked, this, &ProgressWindow::okClicked);

    // Between the bar and the status line, where nothing else is.
    failureLabel_ = new QLabel(this);
    failureLabel_->setObjectName(QStringLiteral("failureLabel"));
    failureLabel_->setTextFormat(Qt::PlainText);
    failureLabel_->move(16, 92);
    failureLabel_->hide();
}

ProgressWindow::~ProgressWindow() = default;

std::int64_t ProgressWindow::position() const {
    const auto max = static_cast<std::uint64_t>(std::max<std::int64_t>(maximum_, 0));
    return static_cast<std::int64_t>(std::min(steps(), max));
}

QProgressBar* ProgressWindow::progressBar() const {
    return progressBar_;
}

int ProgressWindow::barPaintCount() const {
    return progressBar_->paintCount();
}

void ProgressWindow::Reset() {
    running_ = false;
    jobRunning_ = true;
    hideWhenJobEnds_ = false;
    pollsSinceCheck_ = 0;
    sinceEvents_.invalidate();
    maximum_ = 0;
    total_ = 1;
    shift_ = 0;
    SetStepCounter(0, kNever);
    // An empty bar rather than a busy indicator while the input is counted.
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    if (progressBar_->isVisible()) progressBar_->repaint();
}

void ProgressWindow::Started(const std::string& caption, std::int64_t total) {
    captionLabel_->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    captionLabel_->adjustSize();
    if (!failure_.isEmpty() || statusLabel_->text() != status_) {
        // A failed or cancelled job's report ends with the next job.
        failure_.clear();
        statusLabel_->setText(status_);
        statusLabel_->adjustSize();
        statusLabel_->setToolTip(QString());
        failureLabel_->hide();
    }

    maximum_ = std::max<std::int64_t>(total, 0);
    total_ = static_cast<std::uint64_t>(std::max<std::int64_t>(total, 1));
    shift_ = 0;
    while ((total_ >> shift_) > static_cast<std::uint64_t>(INT_MAX)) ++shift_;
    progressBar_->setRange(0, static_cast<int>(total_ >> shift_));
    progressBar_->setValue(0);
    width_ = static_cast<std::uint64_t>(progressBar_->fillWidth());
    running_ = true;
    SetStepCounter(0, nextTarget(0));

    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    exposeNow();
}

void ProgressWindow::StepReached() {
    const std::uint64_t steps = this->steps();
    if (!running_) {
        SetStepCounter(steps, kNever);
        return;
    }
    showBar(steps);
    SetStepCounter(steps, nextTarget(steps));
}

void ProgressWindow::Finished() {
    running_ = false;
    status_ = QStringLiteral("Complete");
    statusLabel_->setText(status_);
    statusLabel_->adjustSize();
    SetStepCounter(static_cast<std::uint64_t>(maximum_), kNever);
    showBar(total_);
    okButton_->show();
    jobEnded();
}

void ProgressWindow::Cancelled(const std::string& caption) {
    running_ = false;
    // Where the job stopped, and never full.
    const std::uint64_t reached = std::min(steps(), total_ - 1);
    SetStepCounter(reached, kNever);
    showBar(reached);
    captionLabel_->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    captionLabel_->adjustSize();
    statusLabel_->setText(QStringLiteral("Cancelled"));
    statusLabel_->adjustSize();
    okButton_->show();
    jobEnded();
}

void ProgressWindow::Failed(const std::string& caption, const std::string& message) {
    running_ = false;
    // Where the job stopped, but never full: the output is not complete.
    const std::uint64_t reached = std::min(steps(), total_ - 1);
    SetStepCounter(reached, kNever);
    showBar(reached);
    failure_ = QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
    if (failure_.isEmpty()) failure_ = QStringLiteral("The job did not complete.");
    // The caption no longer claims success.
    captionLabel_->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    captionLabel_->adjustSize();
    statusLabel_->setText(QStringLiteral("Failed"));
    statusLabel_->adjustSize();
    statusLabel_->setToolTip(plainTip(failure_));
    showFailure();
    okButton_->show();
    jobEnded();
}

void ProgressWindow::showFailure() {
    if (failure_.isEmpty()) return;
    // Beside the OK button's column rather than over its top edge.
    const int room = std::max(40, okButton_->x() - 8 - 16);
    failureLabel_->setGeometry(16, 92, room, failureLabel_->fontMetrics().height());
    // The middle of a long path goes; the reason at the end stays readable.
    failureLabel_->setText(
        failureLabel_->fontMetrics().elidedText(failure_, Qt::ElideMiddle, room));
    failureLabel_->setToolTip(plainTip(failure_));
    failureLabel_->show();
}

void ProgressWindow::showBar(std::uint64_t steps) {
    const int value = static_cast<int>(std::min(steps, total_) >> shift_);
    if (progressBar_->value() == value) return;
    const int before = progressBar_->paintCount();
    progressBar_->setValue(value);
    // setValue repaints by itself only for large moves; the job never
    // returns to the event loop, so any other change is drawn here.
    if (progressBar_->paintCount() == before) progressBar_->repaint();
}

std::uint64_t ProgressWindow::nextTarget(std::uint64_t steps) const {
    using Wide = unsigned __int128;
    const Wide w = width_;
    const Wide t = total_;
    const Wide pixel = Wide(std::min(steps, total_)) * w / t;
    if (pixel >= w) return kNever;
    // The first step whose fill covers one more pixel.
    const Wide next = ((pixel + 1) * t + w - 1) / w;
    return static_cast<std::uint64_t>(next);
}

void ProgressWindow::exposeNow() {
    // The job keeps the event loop until it returns, so the window gets its
    // one chance to be mapped and painted here. Input stays queued.
    constexpr auto flags = QEventLoop::ExcludeUserInputEvents;
    JobInputFilter filter(this);
    QWindow* window = windowHandle();
    QElapsedTimer waited;
    waited.start();
    QCoreApplication::processEvents(flags, 5);
    while ((window == nullptr || !window->isExposed()) && waited.elapsed() < 200) {
        QThread::msleep(2);
        QCoreApplication::processEvents(flags, 5);
    }
    QCoreApplication::processEvents(flags, 5);
}

void ProgressWindow::Poll() {
    // A job polls once per 512 bytes; the clock is read every 8 KiB and
    // events are handled every kEventInterval, which costs the job nothing
    // it would notice.
    if (++pollsSinceCheck_ < kPollsPerClockCheck) return;
    pollsSinceCheck_ = 0;
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval) return;
    handlePendingEvents();
    sinceEvents_.start();
}

void ProgressWindow::handlePendingEvents() {
    JobInputFilter filter(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ProgressWindow::jobEnded() {
    jobRunning_ = false;
    if (hideWhenJobEnds_) hide();
    hideWhenJobEnds_ = false;
}

void ProgressWindow::okClicked() {
    // As before: OK pressed during a job takes effect once the job is over.
    if (jobRunning_) {
        hideWhenJobEnds_ = true;
        return;
    }
    hide();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (jobRunning_) {
        // The window stays to show how the job ended.
        event->ignore();
        emit cancelRequested();
        return;
    }
    QWidget::closeEvent(event);
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && jobRunning_) {
        emit cancelRequested();
        return;
    }
    // Enter presses the focused button, as everywhere in the program.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button != nullptr && button->isVisible()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace ottomix
