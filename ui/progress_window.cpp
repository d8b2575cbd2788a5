#include "ui/progress_window.h"

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

#include "widgets/window_font.h"

namespace ottomix {

// A progress bar that counts its paintings, so the cost of a job's display
// can be checked, and tells how many pixels its fill can take.
class CountingProgressBar : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

    int paints = 0;

    int FillWidth() const {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        const QRect fill = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
        return std::max(1, fill.width());
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        QProgressBar::paintEvent(event);
    }
};

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

// Tooltips take markup as rich text; a failure names the user's files, which
// are plain text whatever they contain.
QString PlainTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      status_(QStringLiteral("Processing")) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Working..."));
    setFont(windowFont());
    // The client area of the 376 x 159 window with a classic frame and title.
    resize(368, 132);
    move(227, 193);

    Label1 = MakeLabel(this, "Label1", QString(), 16, 16);
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(27);
    Label1->setFont(big);
    Label1->resize(145, 32);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Status:"), 16, 112);
    Label3 = MakeLabel(this, "Label3", status_, 56, 112);

    bar_ = new CountingProgressBar(this);
    ProgressBar1 = bar_;
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setGeometry(72, 64, 209, 25);
    bar_->setTextVisible(false);
    bar_->setFocusPolicy(Qt::NoFocus);
    // The chunked bar of the classic desktop; the style goes with the bar.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(bar_);
        bar_->setStyle(classic);
    }
    bar_->setRange(0, 100);
    bar_->setValue(0);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(280, 104, 75, 25);
    Button1->setAutoDefault(false);
    Button1->setDefault(false);
    Button1->hide();
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);

    // Between the bar and the status line, where nothing else is.
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setTextFormat(Qt::PlainText);
    Label4->move(16, 92);
    Label4->hide();
}

TForm4::~TForm4() = default;

std::int64_t TForm4::Position() const {
    const auto max = static_cast<std::uint64_t>(std::max<std::int64_t>(maximum_, 0));
    return static_cast<std::int64_t>(std::min(steps(), max));
}

int TForm4::BarPaintCount() const {
    return bar_->paints;
}

void TForm4::Reset() {
    running_ = false;
    maximum_ = 0;
    total_ = 1;
    shift_ = 0;
    SetStepCounter(0, kNever);
    // An empty bar rather than a busy indicator while the input is counted.
    bar_->setRange(0, 1);
    bar_->setValue(0);
    if (bar_->isVisible()) bar_->repaint();
}

void TForm4::Started(const std::string& caption, std::int64_t total) {
    Label1->setText(QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    Label1->adjustSize();
    if (!failure_.isEmpty()) {
        // A failed job's report ends with the next job.
        failure_.clear();
        Label3->setText(status_);
        Label3->adjustSize();
        Label3->setToolTip(QString());
        Label4->hide();
    }

    maximum_ = std::max<std::int64_t>(total, 0);
    total_ = static_cast<std::uint64_t>(std::max<std::int64_t>(total, 1));
    shift_ = 0;
    while ((total_ >> shift_) > static_cast<std::uint64_t>(INT_MAX)) ++shift_;
    bar_->setRange(0, static_cast<int>(total_ >> shift_));
    bar_->setValue(0);
    width_ = static_cast<std::uint64_t>(bar_->FillWidth());
    running_ = true;
    SetStepCounter(0, NextTarget(0));

    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    ExposeNow();
}

void TForm4::StepReached() {
    const std::uint64_t steps = this->steps();
    if (!running_) {
        SetStepCounter(steps, kNever);
        return;
    }
    ShowBar(steps);
    SetStepCounter(steps, NextTarget(steps));
}

void TForm4::Finished() {
    running_ = false;
    status_ = QStringLiteral("Complete");
    Label3->setText(status_);
    Label3->adjustSize();
    SetStepCounter(static_cast<std::uint64_t>(maximum_), kNever);
    ShowBar(total_);
    Button1->show();
}

void TForm4::Cancelled(const std::string& caption) {
    running_ = false;
    SetStepCounter(std::min(steps(), total_ - 1), kNever);
    Label1->setText(QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    Label1->adjustSize();
    Label3->setText(QStringLiteral("Cancelled"));
    Label3->adjustSize();
    Button1->show();
}

void TForm4::Failed(const std::string& caption, const std::string& message) {
    running_ = false;
    // Where the job stopped, but never full: the output is not complete.
    const std::uint64_t reached = std::min(steps(), total_ - 1);
    SetStepCounter(reached, kNever);
    ShowBar(reached);
    failure_ = QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
    if (failure_.isEmpty()) failure_ = QStringLiteral("The job did not complete.");
    // The caption no longer claims success.
    Label1->setText(QString::fromLocal8Bit(caption.data(), static_cast<qsizetype>(caption.size())));
    Label1->adjustSize();
    Label3->setText(QStringLiteral("Failed"));
    Label3->adjustSize();
    Label3->setToolTip(PlainTip(failure_));
    ShowFailure();
    Button1->show();
}

void TForm4::ShowFailure() {
    if (failure_.isEmpty()) return;
    // Beside the OK button's column rather than over its top edge.
    const int room = std::max(40, Button1->x() - 8 - 16);
    Label4->setGeometry(16, 92, room, Label4->fontMetrics().height());
    // The middle of a long path goes; the reason at the end stays readable.
    Label4->setText(Label4->fontMetrics().elidedText(failure_, Qt::ElideMiddle, room));
    Label4->setToolTip(PlainTip(failure_));
    Label4->show();
}

void TForm4::ShowBar(std::uint64_t steps) {
    const int value = static_cast<int>(std::min(steps, total_) >> shift_);
    if (bar_->value() == value) return;
    const int before = bar_->paints;
    bar_->setValue(value);
    // setValue repaints by itself only for large moves; the job never
    // returns to the event loop, so any other change is drawn here.
    if (bar_->paints == before) bar_->repaint();
}

std::uint64_t TForm4::NextTarget(std::uint64_t steps) const {
    using Wide = unsigned __int128;
    const Wide w = width_;
    const Wide t = total_;
    const Wide pixel = Wide(std::min(steps, total_)) * w / t;
    if (pixel >= w) return kNever;
    // The first step whose fill covers one more pixel.
    const Wide next = ((pixel + 1) * t + w - 1) / w;
    return static_cast<std::uint64_t>(next);
}

void TForm4::ExposeNow() {
    // The job keeps the event loop until it returns, so the window gets its
    // one chance to be mapped and painted here. Input stays queued.
    constexpr auto flags = QEventLoop::ExcludeUserInputEvents;
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

void TForm4::Button1Click() {
    hide();
}

void TForm4::keyPressEvent(QKeyEvent* event) {
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
