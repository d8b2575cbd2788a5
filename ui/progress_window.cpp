#include "ui/progress_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTextDocument>
#include <algorithm>
#include <climits>

#include "widgets/window_look/enter_presses_button.h"
#include "widgets/window_look/fixed_frame.h"
#include "widgets/window_look/frame_placement.h"
#include "widgets/window_look/light_palette.h"
#include "widgets/window_look/window_accessibility.h"
#include "widgets/window_look/window_font.h"

namespace ottomix {

// A progress bar that counts its paintings, so the cost of a job's display
// can be checked.
class CountingProgressBar : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

    int paintCount() const { return paints_; }

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints_;
        QProgressBar::paintEvent(event);
    }

  private:
    int paints_ = 0;
};

namespace {

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

}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      status_(tr("Processing")) {
    presentWindowsAsWindows();  // else a plain widget's window is a nameless filler
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(tr("Working..."));
    setFont(windowFont());
    useLightPalette(this);
    // The client area of the 376 x 159 window with a classic frame and title.
    resize(368, 132);
    giveFixedFrame(this);
    placeFrameAt(this, QPoint(227, 193));

    captionLabel_ = makeLabel(this, "captionLabel", QString(), 16, 16);
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(27);
    captionLabel_->setFont(big);
    captionLabel_->resize(145, 32);
    statusCaption_ = makeLabel(this, "statusCaption", tr("Status:"), 16, 112);
    statusLabel_ = makeLabel(this, "statusLabel", status_, 56, 112);

    progressBar_ = new CountingProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setAccessibleName(tr("Progress"));
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

    okButton_ = new QPushButton(tr("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(280, 104, 75, 25);
    makeEnterPressButton(okButton_);
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
    return static_cast<std::int64_t>(std::min(done_, max));
}

QProgressBar* ProgressWindow::progressBar() const {
    return progressBar_;
}

int ProgressWindow::barPaintCount() const {
    return progressBar_->paintCount();
}

void ProgressWindow::reset() {
    running_ = false;
    jobRunning_ = true;
    hideWhenJobEnds_ = false;
    maximum_ = 0;
    total_ = 1;
    shift_ = 0;
    done_ = 0;
    // An empty bar rather than a busy indicator while the input is counted.
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
}

void ProgressWindow::started(const std::string& caption, std::int64_t total) {
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
    done_ = 0;
    running_ = true;

    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void ProgressWindow::progressed(std::uint64_t done) {
    if (!running_) return;
    done_ = done;
    showBar(done);
}

void ProgressWindow::finished() {
    running_ = false;
    status_ = tr("Complete");
    statusLabel_->setText(status_);
    statusLabel_->adjustSize();
    done_ = static_cast<std::uint64_t>(std::max<std::int64_t>(maximum_, 0));
    showBar(total_);
    okButton_->show();
    jobEnded();
}

void ProgressWindow::cancelled(const std::string& caption) {
    running_ = false;
    // Where the job stopped, and never full.
    const std::uint64_t reached = std::min(done_, total_ - 1);
    done_ = reached;
    showBar(reached);
    captionLabel_->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    captionLabel_->adjustSize();
    statusLabel_->setText(tr("Cancelled"));
    statusLabel_->adjustSize();
    okButton_->show();
    jobEnded();
}

void ProgressWindow::failed(const std::string& caption, const std::string& message) {
    running_ = false;
    // Where the job stopped, but never full: the output is not complete.
    const std::uint64_t reached = std::min(done_, total_ - 1);
    done_ = reached;
    showBar(reached);
    failure_ = QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
    if (failure_.isEmpty()) failure_ = tr("The job did not complete.");
    // The caption no longer claims success.
    captionLabel_->setText(
        QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    captionLabel_->adjustSize();
    statusLabel_->setText(tr("Failed"));
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

void ProgressWindow::showBar(std::uint64_t done) {
    // The bar's own range is the total scaled into an int.
    progressBar_->setValue(static_cast<int>(std::min(done, total_) >> shift_));
}

void ProgressWindow::jobEnded() {
    jobRunning_ = false;
    if (hideWhenJobEnds_) hide();
    hideWhenJobEnds_ = false;
}

void ProgressWindow::okClicked() {
    // OK pressed during a job takes effect once the job is over.
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
    QWidget::keyPressEvent(event);
}

}  // namespace ottomix
